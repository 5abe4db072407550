// The monitoring windows with the real connection thread, the real link library and
// the board emulator over loopback TCP.
#pragma once

#include "BoardProcess.h"
#include "TestEnvironment.h"
#include "WindowFixture.h"
#include "link/Orvexcominterfacelib.h"
#include "link/Tpylox.h"
#include "platform/Application.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace pylox::test {

class RealBoard : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(orvex::LoadOrvexLib({(BinDir() / "libOrvexLink.so").string()}), 0);
        orvex::ociSetProtocol(1);
        board = std::make_unique<BoardProcess>(
            std::vector<std::string>{"--tcp", "0", "--state", (dir.path() / "state").string()});
        MainFrm = &main;
        ReqSuInfoFrm = &wait;
        InputPasswordFrm = &prompt;
        ConfigFrm = &config;
        HintLevelsFrm = &causes;
        GetPasswordFrm = &passwordChange;
        Globals = {};
        Globals.BoardPassword = "480917";
    }
    void TearDown() override {
        ResetWindowGlobals();
        board.reset();
        orvex::FreeOrvexLib();
    }

    TConnParams Params() const { return LoopbackParams(3, board->TcpPort()); }

    // A connection thread on the board, started.
    std::unique_ptr<TPylox> Started(const std::string& password = "480917") {
        auto pylox = std::make_unique<TPylox>(Params(), password);
        pylox->Resume();
        return pylox;
    }

    // The count of requests of this command the board has answered.
    int Answered(char command) {
        const std::string stats = board->Control("stats");
        char key[8];
        std::snprintf(key, sizeof(key), " %02x=", static_cast<unsigned char>(command));
        const auto at = stats.find(key);
        return at == std::string::npos ? 0 : std::stoi(stats.substr(at + std::strlen(key)));
    }

    TApplication application;
    TempDir dir;
    std::unique_ptr<BoardProcess> board;
    TReqSuInfoFrm wait;
    TInputPasswordFrm prompt;
    THintLevelsFrm causes;
    TConfigFrm config;
    TGetPasswordFrm passwordChange;
    TMainFrm main;
};

} // namespace pylox::test
