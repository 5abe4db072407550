// What the window tests share: answering the message boxes that show, acting when
// a window shows, the windows in a shipped language, and leaving the program's
// window globals as a fresh process has them.
#pragma once

#include "GuiDriver.h"
#include "TestEnvironment.h"
#include "config/Configwin.h"
#include "config/Hintlevelswin.h"
#include "monitor/Aboutwin.h"
#include "monitor/Mainwin.h"
#include "monitor/Reqinfowin.h"
#include "passwords/Getpasswordwin.h"
#include "passwords/Inputpasswordwin.h"
#include "platform/Controls.h"
#include "platform/Gettext.h"
#include "settings/Opzioni.h"
#include "settings/Opzioniserialewin.h"
#include "startup/Identificazioneutentewin.h"
#include "startup/ProcessSettings.h"
#include "startup/Startwin.h"

#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace pylox::test {

// Answers every message box that shows, keeping its text, icon and object name, for
// as long as it lives.
class MessageBoxes {
public:
    MessageBoxes() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (QMessageBox* box = VisibleMessageBox()) {
                texts.push_back(box->text());
                icons.push_back(box->icon());
                names.push_back(box->objectName());
                box->accept();
            }
        });
        timer_.start();
    }
    QStringList texts;
    QList<QMessageBox::Icon> icons;
    QStringList names;

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

// Each time the window shows, runs act from the event loop once the window is active,
// while the object lives (act may open further windows: one showing runs act once).
class WhileShown {
public:
    WhileShown(QWidget* window, std::function<void()> act) : act_(std::move(act)) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this, window] {
            if (!window->isVisible()) {
                seen_ = false;
                return;
            }
            // The user acts once the window has the keyboard.
            if (seen_ || !window->isActiveWindow())
                return;
            seen_ = true;
            ++shows;
            act_();
        });
        timer_.start();
    }
    int shows = 0;

private:
    std::function<void()> act_;
    QTimer timer_;
    bool seen_ = false;
};

// Points no window global at a window any more and clears the process settings, so
// that the next test finds neither a destroyed window nor another test's logon.
inline void ResetWindowGlobals() {
    StartFrm = nullptr;
    AboutFrm = nullptr;
    ConfigFrm = nullptr;
    GetPasswordFrm = nullptr;
    HintLevelsFrm = nullptr;
    LogonFrm = nullptr;
    InputPasswordFrm = nullptr;
    MainFrm = nullptr;
    OpzioniFrm = nullptr;
    OpzioniSerialeFrm = nullptr;
    ReqSuInfoFrm = nullptr;
    Globals = {};
}

// The catalogues of the build, as they are shipped.
inline QString ShippedLocale() {
    return QString::fromStdString((BinDir() / "locale").string());
}

// Windows in the neutral skin in one shipped language, the test's parameter.
class ShippedLanguageTest : public testing::TestWithParam<const char*> {
protected:
    static void SetUpTestSuite() { ApplyNeutralSkin(); }
    void SetUp() override {
        SetCatalogueFolders({ShippedLocale()});
        UseLanguage(GetParam());
    }
    void TearDown() override { UseLanguage("C"); }
};

} // namespace pylox::test
