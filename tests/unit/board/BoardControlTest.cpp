#include "BoardServer.h"
#include "TestEnvironment.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

// The control commands, without any link: each answers one line and takes effect
// in what the queries report.
TEST(BoardControl, CommandsTakeEffectAndMalformedOnesAreRefused) {
    BoardServer board(BoardOptions{});
    struct Case {
        std::string command;
        std::string reply; // exact, or the beginning of an error
    } cases[] = {
        {"status 12 7", "ok"},
        {"status 0x46 0xff", "ok"},
        {"status 71 1", "error usage:"},
        {"status 12 256", "error usage:"},
        {"status 12", "error usage:"},
        {"status 12 7 8", "error usage:"},
        {"status -1 7", "error usage:"},
        {"status 1x 7", "error usage:"},
        {"firmware 1.0.1.7", "ok"},
        {"firmware 1.0.1", "error usage:"},
        {"firmware 1.0.1.256", "error usage:"},
        {"firmware 1.0.1.7x", "error usage:"},
        {"n-answer 13", "ok"},
        {"n-answer 300", "error usage:"},
        {"demo maybe", "error usage:"},
        {"refuse-login on", "ok"},
        {"drop 3", "ok"},
        {"wrong-length", "ok"},
        {"wrong-command 2", "ok"},
        {"garbage 4", "ok"},
        {"garbage many", "error usage:"},
        {"delay 250 2", "ok"},
        {"delay", "error usage:"},
        {"silent x", "error usage:"},
        {"get nothing", "error usage:"},
        {"fly away", "error unknown command: fly away"},
        {"get firmware", "firmware 1.0.1.7"},
        {"get faults", "faults drop=3 delay=2/250ms wrong-length=1 wrong-command=2 garbage=4"},
        {"get staged", "staged none"},
        {"stats", "stats"},
    };
    for (const auto& c : cases) {
        const std::string reply = board.Control(c.command);
        if (c.reply.starts_with("error usage:"))
            EXPECT_TRUE(reply.starts_with(c.reply)) << c.command << " -> " << reply;
        else
            EXPECT_EQ(reply, c.reply) << c.command;
    }
    const std::string status = board.Control("get status");
    ASSERT_EQ(status.size(), 7 + 142u);
    EXPECT_EQ(status.substr(7 + 24, 2), "07");             // byte 12
    EXPECT_EQ(status.substr(7 + 140, 2), "ff");            // byte 70
    EXPECT_EQ(status.substr(7 + 128, 12), "debc9a785634"); // identity untouched

    EXPECT_EQ(board.Control("clear"), "ok");
    EXPECT_EQ(board.Control("get faults"),
              "faults drop=0 delay=0/0ms wrong-length=0 wrong-command=0 garbage=0");
    const std::string hex(142, 'a');
    EXPECT_EQ(board.Control("status-hex " + hex), "ok");
    EXPECT_EQ(board.Control("get status"), "status " + hex);
    EXPECT_TRUE(board.Control("status-hex " + hex.substr(1)).starts_with("error usage:"));
    EXPECT_EQ(board.Control("get status"), "status " + hex);
}

TEST(BoardControl, ReportsTheConfigurationOfTheStateFile) {
    pylox::test::TempDir dir;
    TPyloxConfig config;
    DefaultConfig(config);
    config.SetPassword("999");
    config.Tail = 0x42;
    const auto state = dir.path() / "state";
    std::ofstream(state) << "config " << ToHex(config.Bytes(), kConfigSize) << "\n";
    BoardOptions options;
    options.stateFile = state.string();
    BoardServer board(options);
    EXPECT_EQ(board.Control("get config"), "config " + ToHex(config.Bytes(), kConfigSize));
}

} // namespace
