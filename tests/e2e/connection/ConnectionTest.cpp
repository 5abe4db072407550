// The connection thread with the real link library against the real emulator.
#include "BoardProcess.h"
#include "TestEnvironment.h"
#include "link/Orvexcominterfacelib.h"
#include "link/Tpylox.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using pylox::test::BoardProcess;
using pylox::test::LoopbackParams;
using pylox::test::WaitUntil;

class RealConnection : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(orvex::LoadOrvexLib({(pylox::test::BinDir() / "libOrvexLink.so").string()}), 0);
        orvex::ociSetProtocol(1);
    }
    void TearDown() override { orvex::FreeOrvexLib(); }
};

TEST_F(RealConnection, MonitorsWritesAndRecoversAgainstTheEmulator) {
    pylox::test::TempDir dir;
    BoardProcess board({"--tcp", "0", "--state", (dir.path() / "state").string()});
    TPylox pylox(LoopbackParams(3, board.TcpPort()), "480917");
    pylox.Resume();
    ASSERT_TRUE(WaitUntil([&] { return pylox.IsLinkUp(); }));
    EXPECT_EQ(pylox.GetFirmwareVersion(), 0x01000108u);

    // A status change at the board reaches the copy.
    ASSERT_EQ(board.Control("status 12 7"), "ok");
    ASSERT_TRUE(WaitUntil([&] {
        TZelkLock lock(pylox.StateLock);
        return pylox.StatusCopy.Balanced[0] == 7;
    }));

    // A configuration write and commit land in the board's committed state.
    TPyloxConfig edited;
    {
        TZelkLock lock(pylox.StateLock);
        pylox.ConfigCopy.Inputs[3] = {stAtmVento, 1, 0x00};
        edited = pylox.ConfigCopy;
    }
    ASSERT_TRUE(pylox.WriteConfig());
    ASSERT_TRUE(pylox.CommitConfig());
    TPyloxConfig expected = edited;
    expected.Tail = 0;
    char hex[3];
    std::string text = "config ";
    for (std::size_t i = 0; i < kConfigSize; ++i) {
        std::snprintf(hex, sizeof(hex), "%02x", expected.Bytes()[i]);
        text += hex;
    }
    EXPECT_EQ(board.Control("get config"), text);

    // The board goes away: the link is lost, the last status kept; it comes back.
    board.Kill();
    ASSERT_TRUE(WaitUntil([&] { return !pylox.IsLinkOk(); }));
    {
        TZelkLock lock(pylox.StateLock);
        EXPECT_EQ(pylox.StatusCopy.Balanced[0], 7);
    }
    board.Restart();
    ASSERT_TRUE(WaitUntil([&] { return pylox.IsLinkOk() && pylox.IsLinkUp(); }));
    // The restarted board reads its state file: the written configuration is there.
    EXPECT_EQ(board.Control("get config"), text);
}

TEST_F(RealConnection, ARefusedLoginFails) {
    BoardProcess board({"--tcp", "0"});
    TPylox pylox(LoopbackParams(3, board.TcpPort()), "wrong");
    pylox.Resume();
    ASSERT_TRUE(WaitUntil([&] { return pylox.HasFailed(); }));
    EXPECT_FALSE(pylox.IsLinkUp());
}

} // namespace
