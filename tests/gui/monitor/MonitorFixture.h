// The monitoring windows with the real connection thread, the real link library and
// the board emulator over loopback TCP.
#pragma once

#include "BoardProcess.h"
#include "GuiDriver.h"
#include "TestEnvironment.h"
#include "config/Configwin.h"
#include "config/Hintlevelswin.h"
#include "link/Orvexcominterfacelib.h"
#include "link/Tpylox.h"
#include "monitor/Mainwin.h"
#include "monitor/Reqinfowin.h"
#include "passwords/Getpasswordwin.h"
#include "passwords/Inputpasswordwin.h"
#include "platform/Application.h"
#include "startup/ProcessSettings.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

namespace pylox::test {

// Answers every message box that shows, keeping its text, for as long as it lives.
class MessageBoxes {
public:
    MessageBoxes() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (QMessageBox* box = VisibleMessageBox()) {
                texts.push_back(box->text());
                box->accept();
            }
        });
        timer_.start();
    }
    QStringList texts;

private:
    QTimer timer_;
};

// Runs act once, from the event loop, when the window is visible; only while the
// object lives, so a window that never shows leaves nothing behind.
class OnShown {
public:
    OnShown(QWidget* window, std::function<void()> act) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this, window, act = std::move(act)] {
            if (window->isVisible()) {
                timer_.stop();
                act();
            }
        });
        timer_.start();
    }

private:
    QTimer timer_;
};

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
        MainFrm = nullptr;
        ReqSuInfoFrm = nullptr;
        InputPasswordFrm = nullptr;
        ConfigFrm = nullptr;
        HintLevelsFrm = nullptr;
        GetPasswordFrm = nullptr;
        Globals = {};
        board.reset();
        orvex::FreeOrvexLib();
    }

    TConnParams Params() const {
        TConnParams params{};
        params.ComPort = 1;
        params.Baud = 38400;
        params.DataBits = 8;
        std::strcpy(params.HostAddress, "127.0.0.1");
        params.Port = board->TcpPort();
        params.Kind = 3;
        return params;
    }

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
