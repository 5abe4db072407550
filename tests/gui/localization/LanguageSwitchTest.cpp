// The language switch over all windows of the application object, the language
// list of an options window, and the stored choice across a restart.
#include "Catalogues.h"
#include "TestEnvironment.h"
#include "localization/Zelklocalize.h"
#include "platform/Application.h"
#include "platform/Controls.h"
#include "platform/Form.h"
#include "platform/Gettext.h"
#include "settings/Opzioni.h"
#include "settings/Pcconfig.h"

#include <QApplication>
#include <QLabel>
#include <gtest/gtest.h>

#include <memory>

using pylox::test::MakeCatalogue;
using pylox::test::TempDir;

namespace {

class TFinestraFrm : public TForm {
    Q_OBJECT
public:
    TFinestraFrm() {
        setWindowTitle("Finestra");
        Label1 = new QLabel("Etichetta", this);
        Label1->setObjectName("Label1");
    }
    QLabel* Label1;
};

// Derives from a window class, not from TForm itself: the walk does not translate it.
class TDerivataFrm : public TFinestraFrm {
    Q_OBJECT
};

// The language list of an options window, filled each time the window opens.
class TScelteFrm : public TForm {
    Q_OBJECT
public:
    TScelteFrm() {
        setWindowTitle("Opzioni");
        LangRg = new TRadioGroup(this);
        LangRg->setObjectName("LangRg");
        LangRg->setTitle("Language ");
    }
    void Open() {
        LangRg->SetItemIndex(-1);
        FillLanguageList(Languages);
        LangRg->SetItems(Languages.Strings);
        LangRg->SetItemIndex(IndexOfLanguage(Languages, ReadLanguage()));
        show();
    }
    // What a click in the list does.
    void Choose(const std::string& code) {
        const int index = IndexOfLanguageFor(code);
        LangRg->SetItemIndex(index);
        WriteLanguage(LanguageCodeOfItem(Languages, LangRg->ItemIndex()));
        RetranslateAllForms();
    }
    int IndexOfLanguageFor(const std::string& code) const {
        for (qsizetype i = 0; i < Languages.Objects.size(); ++i)
            if (LanguageCodeOfItem(Languages, int(i)) == code)
                return int(i);
        return -1;
    }
    TRadioGroup* LangRg;
    TLanguageList Languages;
};

class LanguageSwitch : public testing::Test {
protected:
    void SetUp() override {
        MakeCatalogue(locale_.path(), "de", "default",
                      {{"Finestra", "Fenster"},
                       {"Etichetta", "Beschriftung"},
                       {"Opzioni", "Optionen"},
                       {"Language ", "Sprache "},
                       {"German", "Deutsch"},
                       {"English", "Englisch"},
                       {"Italian", "Italienisch"},
                       {"installatore", "Installateur"},
                       {"service", "Kundendienst"}});
        MakeCatalogue(locale_.path(), "en", "default",
                      {{"Finestra", "Window"},
                       {"Etichetta", "Label"},
                       {"Opzioni", "Options"},
                       {"installatore", "installer"},
                       {"service", "service"}});
        MakeCatalogue(locale_.path(), "it", "default", {});
        SetCatalogueFolders({QString::fromStdString(locale_.path().string())});
    }
    void TearDown() override { UseLanguage("C"); }

    pylox::test::ScopedConfigHome home_;
    pylox::test::ScopedItalianLocale italian_;
    TempDir locale_;
};

} // namespace

TEST_F(LanguageSwitch, EveryOpenWindowChangesAtOnceAndTheListWhenReopened) {
    InitTranslation();
    EXPECT_EQ(GetCurrentLanguage(), "it_IT");
    TApplication application;
    auto* finestra = application.CreateForm<TFinestraFrm>();
    auto* scelte = application.CreateForm<TScelteFrm>();
    auto* derivata = application.CreateForm<TDerivataFrm>();
    TranslateAllForms();
    finestra->show();

    scelte->Open();
    EXPECT_EQ(scelte->LangRg->Items(), QStringList({"German", "English", "Italian"}));
    EXPECT_EQ(scelte->LangRg->ItemIndex(), -1) << "no language stored";

    scelte->Choose("de");
    EXPECT_EQ(ReadLanguage(), "de");
    EXPECT_EQ(GetCurrentLanguage(), "de");
    EXPECT_EQ(finestra->windowTitle(), "Fenster");
    EXPECT_EQ(finestra->Label1->text(), "Beschriftung");
    EXPECT_EQ(scelte->windowTitle(), "Optionen");
    EXPECT_EQ(scelte->LangRg->title(), "Sprache ");
    EXPECT_EQ(scelte->LangRg->Items(), QStringList({"German", "English", "Italian"}))
        << "the list keeps its names until the window opens again";
    EXPECT_EQ(derivata->windowTitle(), "Finestra") << "not a direct descendant of TForm";

    scelte->close();
    scelte->Open();
    EXPECT_EQ(scelte->LangRg->Items(), QStringList({"Deutsch", "Englisch", "Italienisch"}));
    EXPECT_EQ(scelte->LangRg->ItemIndex(), 0);

    scelte->Choose("en");
    EXPECT_EQ(finestra->windowTitle(), "Window");
    EXPECT_EQ(scelte->windowTitle(), "Options");
    EXPECT_EQ(scelte->LangRg->title(), "Language ");

    scelte->Choose("it");
    EXPECT_EQ(finestra->Label1->text(), "Etichetta");
    EXPECT_EQ(scelte->windowTitle(), "Opzioni");
}

TEST_F(LanguageSwitch, ChosenLanguageIsTheLanguageOfTheNextStart) {
    WriteLanguage("en");
    // A new start: the stored language is applied before any window exists.
    InitTranslation();
    EXPECT_EQ(GetCurrentLanguage(), "en");
    TApplication application;
    auto* finestra = application.CreateForm<TFinestraFrm>();
    TranslateAllForms();
    EXPECT_EQ(finestra->windowTitle(), "Window");
}

TEST_F(LanguageSwitch, DefaultUserNamesStayInTheLanguageTheyWereSavedIn) {
    WriteLanguage("en");
    ApplyStoredLanguage();
    TPcConfig config;
    LoadPcConfig(config);
    EXPECT_EQ(config.UserNames[0], "installer");
    SavePcConfig(config);

    WriteLanguage("de");
    RetranslateAllForms();
    TPcConfig again;
    LoadPcConfig(again);
    EXPECT_EQ(again.UserNames[0], "installer");
    EXPECT_EQ(again.UserNames[1], "service");
    EXPECT_EQ(again.UserNames[2], "orvex");
}

TEST_F(LanguageSwitch, AFailingWindowEndsTheWalkOfItsLevelSilently) {
    UseLanguage("it");
    TApplication application;
    auto* first = application.CreateForm<TFinestraFrm>();
    auto* untranslated = application.CreateForm<TFinestraFrm>();
    auto* last = application.CreateForm<TFinestraFrm>();
    TranslateComponent(first);
    TranslateComponent(last);

    UseLanguage("de");
    EXPECT_NO_THROW(RetranslateForms(&application));
    EXPECT_EQ(first->windowTitle(), "Fenster");
    EXPECT_EQ(untranslated->windowTitle(), "Finestra");
    EXPECT_EQ(last->windowTitle(), "Finestra") << "the walk stopped at the failing window";

    EXPECT_NO_THROW(RetranslateForms(static_cast<TApplication*>(nullptr)));
    EXPECT_NO_THROW(TranslateForms(static_cast<QObject*>(nullptr)));
}

TEST_F(LanguageSwitch, StoredCodeWithoutCatalogueLeavesItalianAndNoSelection) {
    WriteLanguage("fr");
    InitTranslation();
    TApplication application;
    auto* finestra = application.CreateForm<TFinestraFrm>();
    auto* scelte = application.CreateForm<TScelteFrm>();
    TranslateAllForms();
    EXPECT_EQ(finestra->windowTitle(), "Finestra");
    scelte->Open();
    EXPECT_EQ(scelte->LangRg->ItemIndex(), -1);
    EXPECT_EQ(scelte->LangRg->Items().size(), 3);
    scelte->close();
}

#include "LanguageSwitchTest.moc"
