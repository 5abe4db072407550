// Every window of the program, created as the program creates them, for tests of
// the start window that run real connections.
#pragma once

#include "TestEnvironment.h"
#include "WindowFixture.h"
#include "link/Orvexcominterfacelib.h"
#include "platform/Application.h"

#include <gtest/gtest.h>

#include <memory>

namespace pylox::test {

class AllWindows : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(orvex::LoadOrvexLib({(BinDir() / "libOrvexLink.so").string()}), 0);
        Globals = {};
        application = std::make_unique<TApplication>();
        StartFrm = application->CreateForm<TStartFrm>();
        AboutFrm = application->CreateForm<TAboutFrm>();
        ConfigFrm = application->CreateForm<TConfigFrm>();
        GetPasswordFrm = application->CreateForm<TGetPasswordFrm>();
        HintLevelsFrm = application->CreateForm<THintLevelsFrm>();
        LogonFrm = application->CreateForm<TLogonFrm>();
        InputPasswordFrm = application->CreateForm<TInputPasswordFrm>();
        MainFrm = application->CreateForm<TMainFrm>();
        OpzioniFrm = application->CreateForm<TOpzioniFrm>();
        OpzioniSerialeFrm = application->CreateForm<TOpzioniSerialeFrm>();
        ReqSuInfoFrm = application->CreateForm<TReqSuInfoFrm>();
    }
    void TearDown() override {
        application.reset();
        ResetWindowGlobals();
        orvex::FreeOrvexLib();
    }

    // Shows the start window logged on as the default user 3, as at start-up.
    void ShowLoggedOn() {
        Globals.LogonUser = "orvex";
        Globals.LogonPassword = "fenla:47";
        StartFrm->show();
        ASSERT_TRUE(WaitFor([] { return !StartFrm->FirstActivate; }));
        ASSERT_EQ(Globals.LoggedUser, 3);
    }

    std::unique_ptr<TApplication> application;
};

} // namespace pylox::test
