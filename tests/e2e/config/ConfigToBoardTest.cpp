// A configuration read from the board, changed, saved to a file, loaded into the
// window opened from the monitoring window and confirmed, arrives at the board.
#include "BoardProcess.h"
#include "GuiDriver.h"
#include "TestEnvironment.h"
#include "config/Configwin.h"
#include "config/Hintlevelswin.h"
#include "link/Orvexcominterfacelib.h"
#include "monitor/Mainwin.h"
#include "monitor/Reqinfowin.h"
#include "passwords/Getpasswordwin.h"
#include "passwords/Inputpasswordwin.h"
#include "startup/ProcessSettings.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <cstring>

using namespace pylox::test;

namespace {

TEST(ConfigToBoard, AFileLoadedInTheMonitoringWindowIsWrittenToTheBoard) {
    ASSERT_EQ(orvex::LoadOrvexLib({(BinDir() / "libOrvexLink.so").string()}), 0);
    TempDir dir;
    BoardProcess board({"--tcp", "0", "--state", (dir.path() / "state").string()});
    TMainFrm main;
    TReqSuInfoFrm wait;
    TInputPasswordFrm prompt;
    TConfigFrm config;
    THintLevelsFrm causes;
    TGetPasswordFrm passwords;
    MainFrm = &main;
    ReqSuInfoFrm = &wait;
    InputPasswordFrm = &prompt;
    ConfigFrm = &config;
    HintLevelsFrm = &causes;
    GetPasswordFrm = &passwords;
    Globals.BoardPassword = "480917";

    const std::string file = (dir.path() / "prepared.cfg").string();
    TConnParams params{};
    std::strcpy(params.HostAddress, "127.0.0.1");
    params.Port = board.TcpPort();
    params.Kind = 3;
    orvex::ociSetProtocol(1);

    // First visit: change input 2 to "Tamper", save the file, cancel.
    WhenVisible("MainFrm", [&](QWidget*) {
        WhenVisible("ConfigFrm", [&](QWidget*) {
            config.TipoRg[1]->findChildren<QRadioButton*>().at(stTamper)->click();
            AnswerFileDialog(config.SaveDialog, file);
            config.SaveBtn->click();
            config.CancelBtn->click();
        });
        main.BitBtn2->click();
        main.BitBtn1->click();
    });
    main.Connect(params);
    EXPECT_EQ(board.Control("stats").find(" 52="), std::string::npos) << "no 'R' was sent";

    // Second visit: load the file and confirm; the board commits it.
    WhenVisible("MainFrm", [&](QWidget*) {
        WhenVisible("ConfigFrm", [&](QWidget*) {
            AnswerFileDialog(config.OpenDialog, file);
            config.LoadBtn->click();
            config.CloseBtn->click();
        });
        main.BitBtn2->click();
        main.BitBtn1->click();
    });
    main.Connect(params);

    TPyloxConfig expected;
    DefaultConfig(expected);
    for (auto& input : expected.Inputs)
        input.Level = 1; // a level of 0 is stored as 1
    expected.Inputs[1] = {stTamper, 1, 0x01};
    std::string hex = "config ";
    char pair[3];
    for (std::size_t i = 0; i < kConfigSize; ++i) {
        std::snprintf(pair, sizeof(pair), "%02x", expected.Bytes()[i]);
        hex += pair;
    }
    EXPECT_EQ(board.Control("get config"), hex);

    Globals.BoardPassword.clear();
    MainFrm = nullptr;
    ReqSuInfoFrm = nullptr;
    InputPasswordFrm = nullptr;
    ConfigFrm = nullptr;
    HintLevelsFrm = nullptr;
    GetPasswordFrm = nullptr;
    orvex::FreeOrvexLib();
}

} // namespace
