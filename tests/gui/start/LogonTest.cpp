// The logon: the check against the three PC users and the master logon, run on the
// start window's first showing, and the logon window.
#include "StartFixture.h"

#include "settings/Pcconfig.h"

#include <QLineEdit>

using namespace pylox::test;

namespace {

TPcConfig Users() {
    TPcConfig config;
    config.UserNames = {"anna", "bruno", "anna"};
    config.Passwords = {"uno", "due", "tre"};
    return config;
}

TEST(LogonCheck, NameAndPasswordMustMatchTheSameEntryExactly) {
    TPcConfig same = Users();
    same.Passwords[2] = "uno"; // user 3 repeats user 1
    TPcConfig empty = Users();
    empty.UserNames[1] = "";
    empty.Passwords[1] = "";
    const struct {
        const char* what;
        TPcConfig config;
        std::string user, password;
        int32_t logged;
    } cases[] = {
        {"user 2", Users(), "bruno", "due", 2},
        {"a name repeated with another password", Users(), "anna", "tre", 3},
        {"the lowest of two equal entries", same, "anna", "uno", 1},
        {"password of another user", Users(), "bruno", "uno", 0},
        {"password differing in letter case", Users(), "bruno", "DUE", 0},
        {"name differing in letter case", Users(), "Bruno", "due", 0},
        {"password with a trailing blank", Users(), "bruno", "due ", 0},
        {"master logon", Users(), "KVR", "pelnox", 99},
        {"master logon over an entry that matches too",
         [] {
             TPcConfig c = Users();
             c.UserNames[0] = "KVR";
             c.Passwords[0] = "pelnox";
             return c;
         }(),
         "KVR", "pelnox", 99},
        {"master name with another password", Users(), "KVR", "PELNOX", 0},
        {"empty name and password without an empty entry", Users(), "", "", 0},
        {"empty name and password with an empty entry", empty, "", "", 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckLogon(c.config, c.user, c.password), c.logged) << c.what;
}

TEST(LogonCheck, TheDefaultUsersLogOnOnAPcWithoutSettings) {
    ScopedConfigHome fresh;
    TPcConfig config;
    LoadPcConfig(config);
    EXPECT_EQ(CheckLogon(config, "installatore", "qzv"), 1);
    EXPECT_EQ(CheckLogon(config, "service", "83tr05bn"), 2);
    EXPECT_EQ(CheckLogon(config, "orvex", "fenla:47"), 3);
}

using StartLogon = AllWindows;

TEST_F(StartLogon, AFailedLogonClosesTheStartWindowSavesTheSettingsAndConnectsNothing) {
    Globals.LogonUser = "orvex";
    Globals.LogonPassword = "FENLA:47";
    Globals.SwitchConnect = true;
    Globals.SwitchTcpIp = true;
    Globals.LinkAddress = "127.0.0.1:1";
    StartFrm->PcConfig.CommPort = 9;
    StartFrm->show();
    ASSERT_TRUE(WaitFor([] { return !StartFrm->isVisible(); }));
    EXPECT_EQ(Globals.LoggedUser, 0);
    QApplication::processEvents();
    EXPECT_EQ(StartFrm->Params.Kind, 0) << "the connect command ran";
    TPcConfig saved;
    LoadPcConfig(saved);
    EXPECT_EQ(saved.CommPort, 9);
}

TEST_F(StartLogon, TheCheckRunsOnTheFirstShowingOnly) {
    ShowLoggedOn();
    StartFrm->hide();
    Globals.LogonPassword = "wrong";
    StartFrm->show();
    QApplication::processEvents();
    EXPECT_TRUE(StartFrm->isVisible());
    EXPECT_EQ(Globals.LoggedUser, 3);
    EXPECT_EQ(StartFrm->ShowCount, 2);
}

TEST_F(StartLogon, TheLogonWindowOpensEmptyAndHandsBackWhatWasTyped) {
    LogonFrm->User->setText("left over");
    LogonFrm->Password->setText("left over");
    bool emptyWhenShown = false;
    bool userFocused = false;
    WhenVisible("LogonFrm", [&](QWidget*) {
        emptyWhenShown = LogonFrm->User->text().isEmpty() && LogonFrm->Password->text().isEmpty();
        userFocused = LogonFrm->focusWidget() == LogonFrm->User;
        LogonFrm->User->setText("service");
        LogonFrm->Password->setText("83tr05bn");
        LogonFrm->OkBtn->click();
    });
    std::string user = "from the command line", password;
    LogonFrm->Execute(user, password);
    EXPECT_TRUE(emptyWhenShown);
    EXPECT_TRUE(userFocused);
    EXPECT_EQ(user, "service");
    EXPECT_EQ(password, "83tr05bn");
    EXPECT_EQ(LogonFrm->Password->echoMode(), QLineEdit::Password);
}

TEST_F(StartLogon, TheLogonWindowHandsBackEmptyFieldsAndAccentedText) {
    WhenVisible("LogonFrm", [](QWidget*) {
        LogonFrm->Password->setText(QString::fromUtf8("perch\u00e9"));
        LogonFrm->close();
    });
    std::string user = "x", password;
    LogonFrm->Execute(user, password);
    EXPECT_EQ(user, "");
    EXPECT_EQ(password, "perch\xE9"); // Windows-1252, as the settings store keeps it
}

} // namespace
