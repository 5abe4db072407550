#include "link/Tpylox.h"
#include "ScriptedLink.h"
#include "TestEnvironment.h"
#include "link/Tzelklog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <thread>

namespace {

using namespace std::chrono_literals;
using pylox::test::WaitUntil;

// A tamper that gives the answers to one command another length.
std::function<void(TZelkBasicMsg&)> Lengthen(uint8_t command, uint8_t length) {
    return [command, length](TZelkBasicMsg& answer) {
        if (answer.Command == command)
            answer.Length = length;
    };
}

class Connection : public testing::Test {
protected:
    std::unique_ptr<TPylox> Start(const std::string& password = "480917") {
        TConnParams params{};
        params.Kind = 3;
        auto pylox = std::make_unique<TPylox>(params, password);
        pylox->Resume();
        return pylox;
    }
    // The commands of the requests up to and including the first status.
    std::vector<char> StartFrames() {
        std::vector<char> frames;
        for (char c : link.Commands()) {
            frames.push_back(c);
            if (c == '@')
                break;
        }
        return frames;
    }
    ScriptedLink link;
};

TEST_F(Connection, NewerFirmwareStartsWithTheNQuery) {
    link.config.Inputs[1] = {stGuasto, 6, 0x80};
    link.SetStatusByte(12, 0x07);
    auto pylox = Start("480917");
    ASSERT_TRUE(WaitUntil([&] { return pylox->IsLinkUp(); }));
    EXPECT_EQ(StartFrames(), (std::vector<char>{'#', 0x22, 'N', 'S', '@'}));
    EXPECT_EQ(pylox->GetFirmwareVersion(), 0x01000108u);
    EXPECT_TRUE(pylox->IsLinkOk());
    EXPECT_FALSE(pylox->HasFailed());
    {
        TZelkLock lock(pylox->StateLock);
        EXPECT_EQ(pylox->ConfigCopy, link.config);
        EXPECT_TRUE(pylox->StatusCopy.BalancedAlarm(1));
    }
    // The polls go on, back to back.
    const auto polls = link.Commands().size();
    ASSERT_TRUE(WaitUntil([&] { return link.Commands().size() >= polls + 5; }));

    const auto requests = link.Requests();
    EXPECT_EQ(requests[0].Length, 7);
    EXPECT_EQ(std::memcmp(requests[0].Data, "480917", 7), 0);
    for (const auto& r : requests) {
        EXPECT_EQ(r.ControlA, 0);
        EXPECT_EQ(r.ControlB, 0);
    }
    for (std::size_t i = 1; i < requests.size(); ++i)
        EXPECT_EQ(requests[i].Length, 0);

    const auto calls = link.Calls();
    ASSERT_GE(calls.size(), 5u);
    EXPECT_EQ(
        std::vector<std::string>(calls.begin(), calls.begin() + 5),
        (std::vector<std::string>{"create", "valid", "rx empty", "error empty", "wait 60000"}));
}

TEST_F(Connection, OlderFirmwareSkipsTheNQuery) {
    link.firmware = 0x01000107;
    link.nAnswer = 13; // never asked
    auto pylox = Start();
    ASSERT_TRUE(WaitUntil([&] { return pylox->IsLinkUp(); }));
    EXPECT_EQ(StartFrames(), (std::vector<char>{'#', 0x22, 'S', '@'}));
    EXPECT_EQ(pylox->NAnswer, 14u);
}

TEST(ConnectionStart, EachFailureBeforeTheFirstStatusEndsInFailed) {
    struct Case {
        const char* what;
        std::function<void(ScriptedLink&)> arrange;
    } cases[] = {
        {"create refused", [](ScriptedLink& l) { l.createOk = false; }},
        {"not valid", [](ScriptedLink& l) { l.validOk = false; }},
        {"no connection", [](ScriptedLink& l) { l.waitOk = false; }},
        {"login refused", [](ScriptedLink& l) { l.acceptLogin = false; }},
        {"N answer 13", [](ScriptedLink& l) { l.nAnswer = 13; }},
        {"first status fails", [](ScriptedLink& l) { l.failStatus = true; }},
        {"login answer of two bytes", [](ScriptedLink& l) { l.SetTamper(Lengthen('#', 2)); }},
        {"version answer of three bytes", [](ScriptedLink& l) { l.SetTamper(Lengthen(0x22, 3)); }},
        {"version answer with another command",
         [](ScriptedLink& l) {
             l.SetTamper([](TZelkBasicMsg& a) {
                 if (a.Command == 0x22)
                     a.Command = 'V';
             });
         }},
        {"N answer of two bytes", [](ScriptedLink& l) { l.SetTamper(Lengthen('N', 2)); }},
        {"configuration answer of 72 bytes",
         [](ScriptedLink& l) { l.SetTamper(Lengthen('S', 72)); }},
        {"first status of 70 bytes", [](ScriptedLink& l) { l.SetTamper(Lengthen('@', 70)); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedLink link;
        c.arrange(link);
        auto pylox = std::make_unique<TPylox>(TConnParams{}, "480917");
        pylox->Resume();
        ASSERT_TRUE(WaitUntil([&] { return pylox->HasFailed(); }));
        EXPECT_FALSE(pylox->IsLinkUp());
        // The thread ends by itself after Failed, without polling.
        pylox->WaitFor();
        const auto commands = link.Commands();
        EXPECT_LE(std::count(commands.begin(), commands.end(), '@'), 1);
        pylox.reset();
        EXPECT_EQ(link.DeleteCalls(), 1);
    }
}

TEST_F(Connection, ALostPollRecoversWithoutReconnecting) {
    link.SetStatusByte(0, 0x0F);
    auto pylox = Start();
    ASSERT_TRUE(WaitUntil([&] { return pylox->IsLinkUp(); }));

    link.failStatus = true;
    ASSERT_TRUE(WaitUntil([&] { return !pylox->IsLinkOk(); }));
    ASSERT_TRUE(WaitUntil([&] { return !pylox->IsLinkUp(); }));
    link.SetStatusByte(0, 0x03); // not seen while recovering
    std::this_thread::sleep_for(100ms);
    {
        TZelkLock lock(pylox->StateLock);
        EXPECT_EQ(pylox->StatusCopy.DigitalInputs, 0x0F);
    }
    link.failStatus = false;
    ASSERT_TRUE(WaitUntil([&] { return pylox->IsLinkOk(); }));
    ASSERT_TRUE(WaitUntil([&] { return pylox->IsLinkUp(); }));
    ASSERT_TRUE(WaitUntil([&] {
        TZelkLock lock(pylox->StateLock);
        return pylox->StatusCopy.DigitalInputs == 0x03;
    }));
    // Recovery repeats the status request only: no second login.
    const auto commands = link.Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), '#'), 1);
    const auto calls = link.Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "create"), 1);
}

TEST_F(Connection, AConfigurationWriteWaitsForThePollInFlight) {
    auto pylox = Start();
    ASSERT_TRUE(WaitUntil([&] { return pylox->IsLinkUp(); }));
    {
        TZelkLock lock(pylox->StateLock);
        pylox->ConfigCopy.Inputs[0] = {stAllarme, 9, 0x81};
        pylox->ConfigCopy.Tail = 0x42;
    }
    link.holdStatusMs = 300;
    std::this_thread::sleep_for(100ms); // a poll is now holding the request lock
    const auto before = std::chrono::steady_clock::now();
    EXPECT_TRUE(pylox->WriteConfig());
    EXPECT_GE(std::chrono::steady_clock::now() - before, 50ms);
    EXPECT_TRUE(pylox->CommitConfig());
    link.holdStatusMs = 0;

    const auto requests = link.Requests();
    const auto write = std::find_if(requests.begin(), requests.end(),
                                    [](const TZelkBasicMsg& r) { return r.Command == 'R'; });
    ASSERT_NE(write, requests.end());
    EXPECT_EQ(write->Length, 73);
    EXPECT_EQ(write->Data[28], stAllarme);
    EXPECT_EQ(write->Data[30], 0x81);
    EXPECT_EQ(write->ControlA, 0);
    EXPECT_TRUE(std::any_of(write + 1, requests.end(), [](auto& r) { return r.Command == 'U'; }));
}

TEST_F(Connection, AnErrorInsideAPollIsDiscardedAndFreesTheRequestLock) {
    auto pylox = Start();
    ASSERT_TRUE(WaitUntil([&] { return pylox->IsLinkUp(); }));
    link.throwOnStatus = 3;
    ASSERT_TRUE(WaitUntil([&] { return link.throwOnStatus == 0; }));
    // The machine went on polling in the state it was in.
    const auto polls = link.Commands().size();
    ASSERT_TRUE(WaitUntil([&] { return link.Commands().size() >= polls + 3; }));
    EXPECT_TRUE(pylox->IsLinkOk());
    EXPECT_TRUE(pylox->IsLinkUp());
    // A lock left held by the failed request would keep the window out for good.
    EXPECT_TRUE(pylox->WriteConfig());
}

TEST_F(Connection, AWriteAnswerLongerThanTheDataBlockFailsTheWrite) {
    auto pylox = Start();
    ASSERT_TRUE(WaitUntil([&] { return pylox->IsLinkUp(); }));
    link.SetTamper(Lengthen('R', 240));
    EXPECT_FALSE(pylox->WriteConfig());
    link.SetTamper(nullptr);
    EXPECT_TRUE(pylox->WriteConfig());
    EXPECT_TRUE(pylox->CommitConfig());
    EXPECT_TRUE(pylox->IsLinkOk());
}

TEST_F(Connection, AConfigurationWriteGivesUpAfterSixSeconds) {
    auto pylox = Start();
    ASSERT_TRUE(WaitUntil([&] { return pylox->IsLinkUp(); }));
    link.holdStatusMs = 8000;
    std::this_thread::sleep_for(200ms);
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(pylox->WriteConfig());
    const auto waited = std::chrono::steady_clock::now() - before;
    EXPECT_GE(waited, 5500ms);
    EXPECT_LT(waited, 7900ms);
    const auto commands = link.Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 'R'), 0);
    link.holdStatusMs = 0;
}

TEST_F(Connection, DestructionDuringWaitConnectWaitsForItAndDeletesTheConnection) {
    link.waitMs = 600;
    auto pylox = Start();
    ASSERT_TRUE(WaitUntil([&] {
        const auto calls = link.Calls();
        return std::find(calls.begin(), calls.end(), "wait 60000") != calls.end();
    }));
    pylox.reset();
    const auto destroyed = std::chrono::steady_clock::now();
    EXPECT_LE(link.WaitReturned(), destroyed);
    EXPECT_NE(link.WaitReturned(), std::chrono::steady_clock::time_point{});
    EXPECT_EQ(link.DeleteCalls(), 1);
    // WaitConnect failed nothing: the thread ended before logging in.
    EXPECT_TRUE(link.Commands().size() <= 1);
}

TEST_F(Connection, DestructionWithoutAStartStillDeletesTheConnection) {
    {
        TConnParams params{};
        TPylox never(params, "");
    }
    EXPECT_EQ(link.DeleteCalls(), 1);
    EXPECT_TRUE(link.Calls() == std::vector<std::string>{"delete"});
}

TEST_F(Connection, TheLinkLogFollowsTheLogLevel) {
    LinkLogLevel = 2;
    auto pylox = Start();
    ASSERT_TRUE(WaitUntil([&] { return pylox->IsLinkUp(); }));
    LinkLogLevel = 0;
    const auto calls = link.Calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "log log.txt 3"), calls.end());
}

} // namespace
