// A configuration read from the board, changed, saved to a file, loaded into the
// window opened from the monitoring window and confirmed, arrives at the board.
#include "MonitorFixture.h"

using namespace pylox::test;

namespace {

class ConfigToBoard : public RealBoard {};

TEST_F(ConfigToBoard, AFileLoadedInTheMonitoringWindowIsWrittenToTheBoard) {
    const std::string file = (dir.path() / "prepared.cfg").string();
    const TConnParams params = Params();

    // First visit: change input 2 to "Tamper", save the file, cancel.
    WhenVisible("MainFrm", [&](QWidget*) {
        WhenVisible("ConfigFrm", [&](QWidget*) {
            Click(config.TipoRg[1], stTamper);
            AnswerFileDialog(config.SaveDialog, file);
            config.SaveBtn->click();
            config.CancelBtn->click();
        });
        main.BitBtn2->click();
        main.BitBtn1->click();
    });
    main.Connect(params);
    EXPECT_EQ(board->Control("stats").find(" 52="), std::string::npos) << "no 'R' was sent";

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
    EXPECT_EQ(board->Control("get config"), hex);
}

} // namespace
