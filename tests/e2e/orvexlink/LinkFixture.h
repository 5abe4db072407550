// Loads the real link library and speaks to a board through its entry points.
#pragma once

#include "BoardProcess.h"
#include "TestEnvironment.h"
#include "link/Orvexcominterfacelib.h"
#include "link/Tpyloxmsg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

class LinkFixture : public testing::Test {
public:
    void SetUp() override {
        ASSERT_EQ(orvex::LoadOrvexLib({(pylox::test::BinDir() / "libOrvexLink.so").string()}), 0);
        ASSERT_TRUE(orvex::MissingEntryPoints().empty());
        orvex::ociSetProtocol(1);
        orvex::ociSetTxTimeout(1000);
    }
    void TearDown() override {
        orvex::ociDeleteConnection();
        orvex::FreeOrvexLib();
    }

    // The loopback parameters with another host: none, or a broadcast address.
    static TConnParams Network(uint8_t kind, const std::string& host, int port) {
        TConnParams params = pylox::test::LoopbackParams(kind, port);
        std::strncpy(params.HostAddress, host.c_str(), sizeof(params.HostAddress) - 1);
        return params;
    }

    // Opens the connection with the calls the connection thread makes, in its order.
    static bool Connect(const TConnParams& params) {
        if (!orvex::ociCreateNewConnection(&params) || !orvex::ociIsValid())
            return false;
        orvex::ociSetNotifyRx({});
        orvex::ociSetNotifyError({});
        return orvex::ociWaitToConnect(60000);
    }

    // One request as the connection thread sends it: control bytes 0.
    static bool Send(TPyloxMsg& request, TPyloxMsg& answer) {
        request.ControlA = 0;
        request.ControlB = 0;
        return orvex::ociConnectedRequest(request.Frame(), answer.Frame());
    }

    static bool Status(TPyloxStatus& status) {
        TPyloxMsg request, answer;
        request.BuildStatusRequest();
        return Send(request, answer) && ParseStatus(*answer.Frame(), status);
    }
};
