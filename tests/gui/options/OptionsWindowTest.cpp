// The options window with its real dialogs, the real settings store and catalogues
// compiled by msgfmt: saving on every close, the language list and its click, the
// serial port button, and the password change of the logged-on PC user.
#include "Catalogues.h"
#include "SettingsStore.h"
#include "TestEnvironment.h"
#include "WindowFixture.h"
#include "localization/Zelklocalize.h"
#include "passwords/Getpasswordwin.h"
#include "platform/Application.h"
#include "platform/Gettext.h"
#include "platform/Registry.h"
#include "settings/Opzioni.h"
#include "settings/Opzioniserialewin.h"
#include "settings/Pcconfig.h"
#include "startup/ProcessSettings.h"

#include <QFile>
#include <QPushButton>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace pylox::test;

namespace {

const char* const kLanguageKey = "\\SOFTWARE\\Orvex\\Config\\Pylox V2";

class OptionsWindow : public testing::Test {
protected:
    void SetUp() override {
        MakeCatalogue(locale_.path(), "de", "default",
                      {{"Opzioni", "Optionen"}, {"German", "Deutsch"}, {"English", "Englisch"}});
        MakeCatalogue(locale_.path(), "en", "default",
                      {{"Opzioni", "Options"}, {"Cambia Password", "Change password"}});
        SetCatalogueFolders({QString::fromStdString(locale_.path().string())});
        SetLocalMachineProvider([this] { return machine_; });
        InitTranslation();
        options = application.CreateForm<TOpzioniFrm>();
        serial = application.CreateForm<TOpzioniSerialeFrm>();
        passwords = application.CreateForm<TGetPasswordFrm>();
        OpzioniFrm = options;
        OpzioniSerialeFrm = serial;
        GetPasswordFrm = passwords;
        TranslateAllForms();
        config.CommPort = 1;
        LoadPcConfig(config);
        Globals.LoggedUser = 2;
        Globals.LogonPassword = config.Passwords[1];
    }
    void TearDown() override {
        ResetWindowGlobals();
        SetLocalMachineProvider({});
        UseLanguage("C");
    }

    // Opens the window on the settings; act runs while it shows, then the window is
    // closed with its close button.
    void Run(const std::function<void()>& act) {
        WhileShown user(options, [&] {
            act();
            options->BitBtn1->click();
        });
        options->Execute(&config);
        EXPECT_EQ(user.shows, 1);
    }

    // The settings as the store holds them now.
    static TPcConfig Stored() { return LoadedPcConfig(-100); }

    static bool LanguageValueExists() {
        TRegistry reg;
        return reg.OpenKey(kLanguageKey, false) && reg.ValueExists("Language");
    }

    static QByteArray RegistryFile() {
        QFile file(QString::fromStdString(RegistryFilePath()));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Changes the password through the dialog opened by "Cambia Password".
    void ChangePassword(const QString& current, const QString& fresh) {
        WhileShown typing(passwords, [&] {
            TypeFields({current, fresh, fresh});
            passwords->OKbtn->click();
        });
        options->CambiaPasswordBtn->click();
        EXPECT_EQ(typing.shows, 1);
    }

    ScopedConfigHome home_;
    ScopedItalianLocale italian_;
    TempDir locale_;
    std::shared_ptr<TRegKey> machine_ = std::make_shared<TRegKey>();
    TApplication application;
    TOpzioniFrm* options = nullptr;
    TOpzioniSerialeFrm* serial = nullptr;
    TGetPasswordFrm* passwords = nullptr;
    TPcConfig config;
};

TEST_F(OptionsWindow, OpeningAndClosingSavesTheSettingsAndLeavesTheLanguage) {
    config.CommPort = 7;
    QStringList items;
    int checked = -2;
    Run([&] {
        items = options->LangRg->Items();
        checked = options->LangRg->ItemIndex();
    });
    EXPECT_EQ(items, QStringList({"German", "English"}));
    EXPECT_EQ(checked, -1) << "no language stored";
    EXPECT_FALSE(LanguageValueExists()) << "opening stores no language";
    const TPcConfig stored = Stored();
    EXPECT_EQ(stored.CommPort, 7);
    EXPECT_EQ(stored.UserNames, config.UserNames);
    EXPECT_EQ(stored.Passwords, config.Passwords);

    // A stored language is preselected and stays.
    WriteLanguage("en");
    config.CommPort = 9;
    WhileShown closeBox(options, [&] {
        checked = options->LangRg->ItemIndex();
        options->close();
    });
    options->Execute(&config);
    EXPECT_EQ(checked, 1);
    EXPECT_EQ(ReadLanguage(), "en");
    EXPECT_EQ(GetCurrentLanguage(), "it_IT") << "the language in use did not change";
    EXPECT_EQ(options->windowTitle(), "Opzioni");
    EXPECT_EQ(Stored().CommPort, 9);
}

TEST_F(OptionsWindow, TabGoesThroughTheButtonsAndThenTheLanguageList) {
    QList<QWidget*> focus;
    Run([&] {
        // The three buttons, the two languages, and round again.
        for (int i = 0; i < 6; ++i) {
            focus << QApplication::focusWidget();
            PressKey(Qt::Key_Tab);
        }
    });
    ASSERT_EQ(focus.size(), 6);
    EXPECT_EQ(focus[0], options->OpzioniSerialeBtn);
    EXPECT_EQ(focus[1], options->CambiaPasswordBtn);
    EXPECT_EQ(focus[2], options->BitBtn1);
    for (int i : {3, 4}) {
        ASSERT_NE(focus[i], nullptr);
        EXPECT_EQ(focus[i]->parentWidget(), options->LangRg);
    }
    EXPECT_EQ(focus[5], options->OpzioniSerialeBtn);
}

TEST_F(OptionsWindow, WithoutSettingsItReturnsAtOnce) {
    const QByteArray before = RegistryFile();
    WhileShown watch(options, [&] { options->close(); });
    options->Execute(nullptr);
    QApplication::processEvents();
    EXPECT_EQ(watch.shows, 0);
    EXPECT_EQ(RegistryFile(), before) << "nothing saved";
}

TEST_F(OptionsWindow, ChoosingALanguageStoresItAndTranslatesTheWindowsAtOnce) {
    Run([&] {
        Click(options->LangRg, 1);
        EXPECT_EQ(ReadLanguage(), "en");
        EXPECT_EQ(GetCurrentLanguage(), "en");
        EXPECT_EQ(options->windowTitle(), "Options");
        EXPECT_EQ(options->CambiaPasswordBtn->text(), "Change password");
        EXPECT_EQ(options->LangRg->Items(), QStringList({"German", "English"}))
            << "the list keeps its names until the window opens again";
    });
    QStringList items;
    Run([&] {
        items = options->LangRg->Items();
        Click(options->LangRg, 0);
    });
    EXPECT_EQ(items, QStringList({"German", "English"})) << "the en catalogue names neither";
    EXPECT_EQ(ReadLanguage(), "de");
    EXPECT_EQ(options->windowTitle(), "Optionen");
    EXPECT_EQ(options->CambiaPasswordBtn->text(), "Cambia Password");
    Run([&] { items = options->LangRg->Items(); });
    EXPECT_EQ(items, QStringList({"Deutsch", "Englisch"}));
}

TEST_F(OptionsWindow, APasswordChangeAsUser2ReplacesUser2sPasswordOnlyAndIsSavedAtOnce) {
    const TPcConfig before = config;
    MessageBoxes boxes;
    TPcConfig duringRun;
    Run([&] {
        // The options window's bounds: at most 10 characters.
        ChangePassword("83tr05bn", "abcdefghijk");
        EXPECT_EQ(boxes.texts.size(), 1);
        EXPECT_EQ(Globals.LogonPassword, "83tr05bn");

        ChangePassword("83tr05bn", "nuova1");
        duringRun = Stored();
        // The next change must be given the new password.
        ChangePassword("83tr05bn", "seconda9");
        ChangePassword("nuova1", "seconda9");
    });
    EXPECT_EQ(duringRun.Passwords[1], "nuova1") << "saved before the window closed";
    EXPECT_EQ(boxes.texts, QStringList({"Si e' inserita una password troppo lunga\nsono ammessi "
                                        "max. 10 caratteri.",
                                        "Si e' sbagliato a inserire la password"}));
    EXPECT_EQ(Globals.LogonPassword, "seconda9");
    const TPcConfig stored = Stored();
    EXPECT_EQ(stored.Passwords[0], before.Passwords[0]);
    EXPECT_EQ(stored.Passwords[1], "seconda9");
    EXPECT_EQ(stored.Passwords[2], before.Passwords[2]);
    EXPECT_EQ(stored.UserNames, before.UserNames);
    EXPECT_EQ(config.Passwords[1], "seconda9");
}

TEST_F(OptionsWindow, OnlyUsersOneToThreeCanChangeTheirPassword) {
    for (const int user : {99, 0, 4}) {
        SCOPED_TRACE(user);
        Globals.LoggedUser = user;
        Globals.LogonPassword = "fenla:47";
        bool asked = false;
        WhileShown watch(passwords, [&] {
            asked = true;
            passwords->CancelBtn->click();
        });
        QByteArray beforeClick;
        Run([&] {
            beforeClick = RegistryFile();
            options->CambiaPasswordBtn->click();
            QApplication::processEvents();
            EXPECT_EQ(RegistryFile(), beforeClick) << "nothing saved";
        });
        EXPECT_FALSE(asked);
        EXPECT_EQ(Globals.LogonPassword, "fenla:47");
    }
}

TEST_F(OptionsWindow, TheSerialPortButtonRunsTheDialogAndSavesAtOnce) {
    TRegKey& map = machine_->Create({"HARDWARE", "DEVICEMAP", "SERIALCOMM"});
    map.SetValue("\\Device\\Serial0", TRegValue::String("COM1"));
    map.SetValue("\\Device\\Serial2", TRegValue::String("COM3"));
    int duringRun = 0;
    Run([&] {
        WhileShown choose(serial, [&] {
            Click(serial->CommRG, 1);
            serial->BitBtn1->click();
        });
        options->OpzioniSerialeBtn->click();
        EXPECT_EQ(choose.shows, 1);
        duringRun = Stored().CommPort;
    });
    EXPECT_EQ(duringRun, 3);
    EXPECT_EQ(config.CommPort, 3);
}

TEST_F(OptionsWindow, APortLineWithoutNumberIsReportedByTheErrorBoxAndChangesNothing) {
    machine_->Create({"HARDWARE", "DEVICEMAP", "SERIALCOMM"})
        .SetValue("\\Device\\Serial0", TRegValue::String("COM"));
    config.CommPort = 3;
    SavePcConfig(config);
    MessageBoxes boxes;
    Run([&] {
        options->OpzioniSerialeBtn->click();
        EXPECT_TRUE(WaitFor([&] { return !boxes.texts.isEmpty(); }));
    });
    EXPECT_EQ(boxes.texts, QStringList{"'' is not a valid integer value"});
    EXPECT_EQ(boxes.names, QStringList{"ShowException"});
    EXPECT_EQ(config.CommPort, 3);
    EXPECT_EQ(Stored().CommPort, 3);
}

TEST(OptionsWindowDesign, OneColumnOfLanguageListAndButtons) {
    ApplyNeutralSkin();
    TOpzioniFrm window;
    EXPECT_EQ(window.objectName(), "OpzioniFrm");
    EXPECT_EQ(window.windowTitle(), "Opzioni");
    EXPECT_EQ(window.size(), QSize(129, 242));
    EXPECT_TRUE(window.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(window.LangRg->title(), "Language ");
    EXPECT_TRUE(window.LangRg->Items().isEmpty());
    EXPECT_EQ(window.OpzioniSerialeBtn->text(), "Opzioni Seriale");
    EXPECT_EQ(window.CambiaPasswordBtn->text(), "Cambia Password");
    EXPECT_EQ(window.BitBtn1->text(), "&Close");
    int bottom = -1;
    for (QWidget* control : std::initializer_list<QWidget*>{
             window.LangRg, window.OpzioniSerialeBtn, window.CambiaPasswordBtn, window.BitBtn1}) {
        SCOPED_TRACE(control->objectName().toStdString());
        EXPECT_TRUE(window.rect().contains(control->geometry()));
        EXPECT_GT(control->y(), bottom) << "top to bottom, without overlap";
        bottom = control->geometry().bottom();
    }
}

} // namespace
