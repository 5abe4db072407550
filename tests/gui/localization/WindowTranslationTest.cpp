// Translation of a window's texts, with recording and re-translation, on windows
// made of plain Qt widgets; the charset box; Qt's own texts through the translator.
#include "Catalogues.h"
#include "TestEnvironment.h"
#include "platform/Controls.h"
#include "platform/Gettext.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCommandLinkButton>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTextEdit>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

using pylox::test::MakeCatalogue;
using pylox::test::Messages;
using pylox::test::TempDir;

namespace {

const Messages kEnglish = {
    {"Opzioni", "Options"},
    {"Etichetta", "Label"},
    {"Suggerimento", "Hint"},
    {"Stato", "Status"},
    {"&Chiudi", "&Close"},
    {"Gruppo", "Group"},
    {"Seriale", "Serial"},
    {"Modem", "Modem"},
    {"File", "File"},
    {"Esci", "Exit"},
    {"Attivo", "Active"},
    {"Aiuto", "Help"},
    {"Testo ricco", "Rich text"},
    {"Collegamento", "Link"},
    {"Altro", "Other"},
    {"Nome campo", "Field name"},
};
const Messages kGerman = {
    {"Opzioni", "Optionen"},
    {"Etichetta", "Beschriftung"},
    {"Suggerimento", "Hinweis"},
    {"Stato", "Zustand"},
    {"&Chiudi", "&Schliessen"},
    {"Gruppo", "Gruppe"},
    {"Seriale", "Seriell"},
    {"Modem", "Modem"},
    {"File", "Datei"},
    {"Esci", "Beenden"},
    {"Attivo", "Aktiv"},
    {"Aiuto", "Hilfe"},
    {"Testo ricco", "Formatierter Text"},
    {"Collegamento", "Verbindung"},
    {"Altro", "Andere"},
    {"Nome campo", "Feldname"},
};

// A window with one control of each kind the window translation meets.
struct Window {
    Window() {
        form->setWindowTitle("Opzioni");
        label = new QLabel("Etichetta", form.get());
        label->setObjectName("Label1");
        label->setToolTip("Suggerimento");
        label->setStatusTip("Stato");
        button = new QPushButton("&Chiudi", form.get());
        group = new TRadioGroup(form.get());
        group->setTitle("Gruppo");
        group->SetItems({"Seriale", "Modem"});
        group->SetItemIndex(1);
        auto* menuBar = new QMenuBar(form.get());
        menu = menuBar->addMenu("File");
        action = menu->addAction("Esci");
        edit = new QLineEdit(form.get());
        edit->setPlaceholderText("Nome campo");
        codeLabel = new QLabel(form.get());
        spin = new QSpinBox(form.get());
        spin->setValue(5);
        check = new QCheckBox("Attivo", form.get());
        check->setToolTip("Aiuto");
        rich = new QTextEdit(form.get());
        rich->setPlainText("Testo ricco");
        link = new QCommandLinkButton("Collegamento", "Altro", form.get());
        box = new QDialogButtonBox(QDialogButtonBox::Cancel, form.get());
        auto* files = new QFileDialog(form.get());
        files->setOption(QFileDialog::DontUseNativeDialog);
    }
    std::unique_ptr<QWidget> form = std::make_unique<QWidget>();
    QLabel* label;
    QPushButton* button;
    TRadioGroup* group;
    QMenu* menu;
    QAction* action;
    QLineEdit* edit;
    QLabel* codeLabel;
    QSpinBox* spin;
    QCheckBox* check;
    QTextEdit* rich;
    QCommandLinkButton* link;
    QDialogButtonBox* box;
};

class WindowTranslation : public testing::Test {
protected:
    static void SetUpTestSuite() {
        TP_GlobalIgnoreClass("QCommandLinkButton");
        TP_GlobalIgnoreClassProperty("QCheckBox", "TOOLTIP");
        TP_GlobalIgnoreClassProperty("QTextEdit", "plainText");
        TP_GlobalIgnoreClassProperty("QTextEdit", "html");
        AddDomainForResourceString("quil");
    }
    void SetUp() override {
        MakeCatalogue(locale_.path(), "en", "default", kEnglish);
        MakeCatalogue(locale_.path(), "de", "default", kGerman);
        MakeCatalogue(locale_.path(), "de", "quil", {{"Cancel", "Abbrechen"}});
        SetCatalogueFolders({QString::fromStdString(locale_.path().string())});
        UseLanguage("it");
    }
    void TearDown() override { UseLanguage("C"); }

    TempDir locale_;
};

} // namespace

TEST_F(WindowTranslation, TranslatesEveryTextPropertyAndRecordsTheOriginals) {
    Window w;
    UseLanguage("en");
    TranslateComponent(w.form.get());

    EXPECT_EQ(w.form->windowTitle(), "Options");
    EXPECT_EQ(w.label->text(), "Label");
    EXPECT_EQ(w.label->toolTip(), "Hint");
    EXPECT_EQ(w.label->statusTip(), "Status");
    EXPECT_EQ(w.label->objectName(), "Label1") << "names are never translated";
    EXPECT_EQ(w.button->text(), "&Close");
    EXPECT_EQ(w.group->title(), "Group");
    EXPECT_EQ(w.group->Items(), QStringList({"Serial", "Modem"}));
    EXPECT_EQ(w.group->ItemIndex(), 1) << "the selection stays";
    EXPECT_EQ(w.menu->title(), "File");
    EXPECT_EQ(w.action->text(), "Exit");
    EXPECT_EQ(w.edit->placeholderText(), "Field name");
    EXPECT_EQ(w.check->text(), "Active");
    EXPECT_EQ(w.check->toolTip(), "Aiuto") << "ignored property, any letter case";
    EXPECT_EQ(w.rich->toPlainText(), "Testo ricco") << "ignored property";
    EXPECT_EQ(w.link->text(), "Collegamento") << "ignored class";
    EXPECT_EQ(w.link->description(), "Altro") << "ignored class";

    const QStringList recorded = RecordedTexts(w.form.get());
    for (const char* text : {"Opzioni", "Etichetta", "Suggerimento", "Seriale", "Modem", "Esci"})
        EXPECT_TRUE(recorded.contains(text)) << text;
    for (const char* text : {"Label1", "Testo ricco", "Collegamento", "Aiuto", "5", "", "Cancel",
                             "Look in:", "File &name:"})
        EXPECT_FALSE(recorded.contains(text)) << text;
}

TEST_F(WindowTranslation, RetranslationSetsRecordedPropertiesFromTheirOriginals) {
    Window w;
    TranslateComponent(w.form.get()); // Italian: nothing changes, the texts are recorded
    EXPECT_EQ(w.label->text(), "Etichetta");

    // What code does after the first translation.
    w.label->setText("Changed by code");
    w.codeLabel->setText("Etichetta");
    w.edit->setText("typed");
    w.spin->setValue(7);
    w.group->SetItemIndex(0);

    UseLanguage("de");
    RetranslateComponent(w.form.get());
    EXPECT_EQ(w.form->windowTitle(), "Optionen");
    EXPECT_EQ(w.label->text(), "Beschriftung") << "recorded: set whatever it holds";
    EXPECT_EQ(w.codeLabel->text(), "Etichetta") << "empty at the first translation";
    EXPECT_EQ(w.edit->text(), "typed") << "empty at the first translation";
    EXPECT_EQ(w.spin->value(), 7) << "Qt's inner line edit is not touched";
    EXPECT_EQ(w.spin->text(), "7");
    EXPECT_EQ(w.group->Items(), QStringList({"Seriell", "Modem"}));
    EXPECT_EQ(w.group->ItemIndex(), 0);
    EXPECT_EQ(w.action->text(), "Beenden");

    UseLanguage("en");
    RetranslateComponent(w.form.get());
    EXPECT_EQ(w.label->text(), "Label");
    EXPECT_EQ(w.group->Items(), QStringList({"Serial", "Modem"}));

    // In the language it already has, a window is left as it is.
    w.label->setText("Changed by code");
    UseLanguage("en");
    RetranslateComponent(w.form.get());
    EXPECT_EQ(w.label->text(), "Changed by code");

    // A language without catalogue brings the Italian texts back.
    UseLanguage("fr");
    RetranslateComponent(w.form.get());
    EXPECT_EQ(w.label->text(), "Etichetta");
    EXPECT_EQ(w.menu->title(), "File");
}

TEST_F(WindowTranslation, RetranslatingAWindowNeverTranslatedIsRefused) {
    Window w;
    UseLanguage("en");
    EXPECT_THROW(RetranslateComponent(w.form.get()), ETranslationError);
    EXPECT_EQ(w.label->text(), "Etichetta");
    EXPECT_TRUE(RecordedTexts(w.form.get()).isEmpty());
}

TEST_F(WindowTranslation, ARecordEndsWithItsWindow) {
    auto w = std::make_unique<Window>();
    TranslateComponent(w->form.get());
    const QWidget* address = w->form.get();
    ASSERT_FALSE(RecordedTexts(address).isEmpty());
    w.reset();
    // A window made later at the same address must not count as translated.
    EXPECT_TRUE(RecordedTexts(address).isEmpty());
}

TEST_F(WindowTranslation, QtsOwnTextsComeFromDefaultThenQuil) {
    MakeCatalogue(locale_.path(), "en", "quil", {{"Cancel", "Quit it"}, {"&Yes", "Sure"}});
    MakeCatalogue(locale_.path(), "en", "default", {{"Cancel", "Never mind"}});
    UseLanguage("en");
    QDialogButtonBox box(QDialogButtonBox::Cancel | QDialogButtonBox::Yes);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), "Never mind") << "default wins";
    EXPECT_EQ(box.button(QDialogButtonBox::Yes)->text(), "Sure");

    UseLanguage("de");
    QDialogButtonBox german(QDialogButtonBox::Cancel | QDialogButtonBox::Yes);
    EXPECT_EQ(german.button(QDialogButtonBox::Cancel)->text(), "Abbrechen");
    EXPECT_EQ(german.button(QDialogButtonBox::Yes)->text(), "&Yes") << "no translation: Qt's own";
    // A box made before the change follows it once Qt delivers the change.
    QApplication::processEvents();
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), "Abbrechen");
}

TEST_F(WindowTranslation, StandardButtonsAreLeftToQt) {
    Window w;
    UseLanguage("de");
    QApplication::processEvents();
    TranslateComponent(w.form.get());
    QPushButton* cancel = w.box->button(QDialogButtonBox::Cancel);
    EXPECT_EQ(cancel->text(), "Abbrechen");
    EXPECT_FALSE(RecordedTexts(w.form.get()).contains("Cancel"));
    EXPECT_FALSE(RecordedTexts(w.form.get()).contains("Abbrechen"));
    UseLanguage("fr");
    RetranslateComponent(w.form.get());
    QApplication::processEvents();
    EXPECT_EQ(cancel->text(), "Cancel");
}

TEST_F(WindowTranslation, QtsTextsAreTranslatedOnTheUserInterfaceThreadOnly) {
    UseLanguage("de");
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Abbrechen");
    QString fromThread;
    std::unique_ptr<QThread> thread(QThread::create(
        [&fromThread] { fromThread = QCoreApplication::translate("QPlatformTheme", "Cancel"); }));
    thread->start();
    ASSERT_TRUE(thread->wait(30000));
    EXPECT_EQ(fromThread, "Cancel");
}

TEST_F(WindowTranslation, CatalogueWithoutUtf8ShowsTheLocalizationProblemBox) {
    pylox::test::CatalogueOptions latin1;
    latin1.contentType = "text/plain; charset=ISO-8859-1";
    const auto path = MakeCatalogue(locale_.path(), "de", "default", kGerman, latin1);

    QString title, text;
    QStringList buttons;
    int boxes = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        ++boxes;
        title = box->windowTitle();
        text = box->text();
        for (QAbstractButton* button : box->buttons())
            buttons.append(box->button(QMessageBox::Ok) == button ? "OK" : button->text());
        box->button(QMessageBox::Ok)->click();
    });
    timer.start(20);
    UseLanguage("de_AT.UTF-8");
    timer.stop();

    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(title, "Localization problem");
    EXPECT_EQ(
        text.toStdString(),
        "The translation for the language code de_AT (in " + path.string() +
            ") does not have charset=utf-8 in its Content-Type. Translations are turned off.");
    EXPECT_EQ(buttons, QStringList({"OK"}));
    EXPECT_EQ(_("Opzioni"), "Opzioni") << "translation is off for the domain";
    EXPECT_EQ(DGettext("quil", "Cancel").toStdString(), "Abbrechen")
        << "the other domain still works";
}
