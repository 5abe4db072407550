#include "BoardCore.h"
#include "TestEnvironment.h"
#include "link/Tpyloxmsg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <vector>

namespace {

TZelkBasicMsg Ask(BoardCore& board, void (TPyloxMsg::*build)()) {
    TPyloxMsg request;
    (request.*build)();
    return board.Answer(*request.Frame());
}

TEST(BoardCore, LoginChecksThePasswordOfTheConfiguration) {
    BoardCore board("");
    struct Case {
        std::string password;
        uint8_t accepted;
    } cases[] = {{"480917", 1},  {"480918", 0}, {"", 0},
                 {"4809170", 0}, {"48091", 0},  {std::string(25, 'x'), 0}};
    for (const auto& c : cases) {
        TPyloxMsg login;
        login.BuildLogin(c.password);
        const auto answer = board.Answer(*login.Frame());
        SCOPED_TRACE(c.password);
        EXPECT_EQ(answer.Command, '#');
        EXPECT_EQ(answer.Length, 1);
        EXPECT_EQ(answer.Data[0], c.accepted);
    }
    // The password ends at the data in use even without a terminator.
    TPyloxMsg login;
    login.BuildLogin("480917");
    login.Length = 6;
    login.Data[6] = 'x';
    EXPECT_EQ(board.Answer(*login.Frame()).Data[0], 1);

    board.SetRefuseLogin(true);
    login.BuildLogin("480917");
    const auto refused = board.Answer(*login.Frame());
    EXPECT_EQ(refused.Length, 1);
    EXPECT_EQ(refused.Data[0], 0);
}

TEST(BoardCore, AFreshBoardAnswersTheStartSequence) {
    BoardCore board("");
    const auto version = Ask(board, &TPyloxMsg::BuildVersionRequest);
    ASSERT_EQ(version.Length, 4);
    EXPECT_EQ(version.Command, 0x22);
    EXPECT_EQ(std::vector<uint8_t>(version.Data, version.Data + 4),
              (std::vector<uint8_t>{0x08, 0x01, 0x00, 0x01}));

    TPyloxMsg n;
    n.CopyAnswer(Ask(board, &TPyloxMsg::BuildNQuery));
    uint32_t value = 0;
    EXPECT_TRUE(n.ParseNAnswer(value));
    EXPECT_EQ(value, 14u);

    TPyloxConfig config, defaults;
    DefaultConfig(defaults);
    EXPECT_TRUE(ParseConfig(Ask(board, &TPyloxMsg::BuildReadConfig), config));
    EXPECT_EQ(config, defaults);

    TPyloxStatus status;
    EXPECT_TRUE(ParseStatus(Ask(board, &TPyloxMsg::BuildStatusRequest), status));
    const TBoardId id = status.BoardId();
    EXPECT_EQ(id.Id32, 0x789ABCDEu);
    EXPECT_EQ(id.Id16, 0x3456);
    EXPECT_EQ(id.Id8, 0x12);

    // A command the board does not know is answered with itself and no data.
    TPyloxMsg unknown;
    unknown.BuildStatusRequest();
    unknown.Command = 'Z';
    unknown.Length = 3;
    const auto answer = board.Answer(*unknown.Frame());
    EXPECT_EQ(answer.Command, 'Z');
    EXPECT_EQ(answer.Length, 0);

    EXPECT_EQ(board.Counts(),
              (std::map<uint8_t, unsigned>{{0x22, 1}, {'N', 1}, {'S', 1}, {'@', 1}, {'Z', 1}}));
}

TEST(BoardCore, AnswersFollowTheSettingsAndTheStatus) {
    BoardCore board("");
    board.SetFirmware(0x01000107);
    board.SetNAnswer(13);
    board.Status().Balanced[0] = 0x05;
    board.Status().Reserved16[10] = 0x99;

    uint32_t version = 0;
    EXPECT_TRUE(ParseVersion(Ask(board, &TPyloxMsg::BuildVersionRequest), version));
    EXPECT_EQ(version, 0x01000107u);
    TPyloxMsg n;
    n.CopyAnswer(Ask(board, &TPyloxMsg::BuildNQuery));
    uint32_t value = 0;
    EXPECT_TRUE(n.ParseNAnswer(value));
    EXPECT_EQ(value, 13u);
    TPyloxStatus status;
    EXPECT_TRUE(ParseStatus(Ask(board, &TPyloxMsg::BuildStatusRequest), status));
    EXPECT_TRUE(status.BalancedTamper(1));
    EXPECT_FALSE(status.BalancedAlarm(1));
    EXPECT_TRUE(status.BalancedCableCut(1));
    EXPECT_EQ(status.Reserved16[10], 0x99);
}

TEST(BoardCore, AWriteTakesEffectOnlyWhenCommittedAndPersists) {
    pylox::test::TempDir dir;
    const auto state = dir.path() / "state";
    TPyloxConfig changed;
    {
        BoardCore board(state.string());
        changed = board.Config();
        changed.Inputs[0] = {stAllarme, 10, 0x81};
        changed.Reserved51[21] = 0x5C;
        changed.SetPassword("abc");
        EXPECT_EQ(Ask(board, &TPyloxMsg::BuildCommit).Data[0], 0); // nothing staged

        TPyloxMsg write;
        write.BuildWriteConfig(changed);
        EXPECT_EQ(board.Answer(*write.Frame()).Data[0], 1);
        // Staged only: reads and logins still see the committed record.
        TPyloxConfig read;
        ASSERT_TRUE(ParseConfig(Ask(board, &TPyloxMsg::BuildReadConfig), read));
        EXPECT_EQ(read.GetPassword(), "480917");
        EXPECT_FALSE(std::filesystem::exists(state));

        EXPECT_EQ(Ask(board, &TPyloxMsg::BuildCommit).Data[0], 1);
        EXPECT_EQ(board.Config(), changed);
        EXPECT_FALSE(board.Staged());

        write.Length = 72; // a damaged write is refused and stages nothing
        EXPECT_EQ(board.Answer(*write.Frame()).Data[0], 0);
        EXPECT_FALSE(board.Staged());
    }
    // The file holds the record, written whole (no temporary left beside it).
    EXPECT_EQ(pylox::test::ReadFile(state), "config " + ToHex(changed.Bytes(), kConfigSize) + "\n");
    EXPECT_FALSE(std::filesystem::exists(state.string() + ".tmp"));

    BoardCore restarted(state.string());
    TPyloxConfig read;
    ASSERT_TRUE(ParseConfig(Ask(restarted, &TPyloxMsg::BuildReadConfig), read));
    EXPECT_EQ(read, changed);
    TPyloxMsg login;
    login.BuildLogin("abc");
    EXPECT_EQ(restarted.Answer(*login.Frame()).Data[0], 1);
    login.BuildLogin("480917");
    EXPECT_EQ(restarted.Answer(*login.Frame()).Data[0], 0);
}

TEST(BoardCore, ACommitThatCannotBeWrittenAnswersZero) {
    pylox::test::TempDir dir;
    BoardCore board((dir.path() / "missing-folder" / "state").string());
    TPyloxConfig changed = board.Config();
    changed.SetPassword("zz");
    TPyloxMsg write;
    write.BuildWriteConfig(changed);
    EXPECT_EQ(board.Answer(*write.Frame()).Data[0], 1);
    EXPECT_EQ(Ask(board, &TPyloxMsg::BuildCommit).Data[0], 0);
}

TEST(BoardCore, AnUnusableStateFileLeavesTheDefaults) {
    pylox::test::TempDir dir;
    const auto state = dir.path() / "state";
    TPyloxConfig defaults;
    DefaultConfig(defaults);
    const std::string good = ToHex(defaults.Bytes(), kConfigSize);
    for (const std::string& text : std::vector<std::string>{
             "config 12zz\n", "config " + good.substr(2) + "\n", "other " + good + "\n", ""}) {
        std::ofstream(state) << text;
        EXPECT_EQ(BoardCore(state.string()).Config(), defaults) << text;
    }
    EXPECT_EQ(BoardCore((dir.path() / "absent").string()).Config(), defaults);
}

TEST(BoardHex, RoundTripsAndRefusesWhatIsNotHexOfTheSize) {
    const uint8_t bytes[3] = {0x00, 0xAB, 0x7F};
    EXPECT_EQ(ToHex(bytes, 3), "00ab7f");
    uint8_t out[3] = {1, 2, 3};
    EXPECT_TRUE(FromHex("00AB7f", out, 3));
    EXPECT_EQ(std::memcmp(out, bytes, 3), 0);
    for (const char* bad : {"00ab7", "00ab7f00", "00ab7g", "+0ab7f", " 0ab7f", "0xab7f"}) {
        uint8_t kept[3] = {9, 9, 9};
        EXPECT_FALSE(FromHex(bad, kept, 3)) << bad;
        EXPECT_EQ(kept[0], 9) << bad;
    }
}

TEST(BoardDemo, EveryLampChangesAndOtherBitsAreKept) {
    TPyloxStatus status{};
    status.DigitalInputs = 0xA0;
    status.PowerFlags = 0x80;
    status.Outputs = 0x40;
    for (auto& b : status.Balanced)
        b = 0x28;
    const TPyloxStatus before = status;
    // What each lamp showed over one round of the scenario.
    std::map<std::string, std::set<bool>> seen;
    for (unsigned step = 0; step < 16; ++step) {
        DemoStep(step, status);
        for (int n = 1; n <= 4; ++n) {
            seen["input" + std::to_string(n)].insert(status.DigitalInput(n));
            seen["tamper" + std::to_string(n)].insert(status.BalancedTamper(n));
            seen["alarm" + std::to_string(n)].insert(status.BalancedAlarm(n));
            seen["cut" + std::to_string(n)].insert(status.BalancedCableCut(n));
        }
        seen["out1"].insert(status.Output(1));
        seen["out2"].insert(status.Output(2));
        seen["battery"].insert(status.LowBattery());
        EXPECT_EQ(status.DigitalInputs & 0xF0, 0xA0);
        EXPECT_EQ(status.PowerFlags & 0xFE, 0x80);
        EXPECT_EQ(status.Outputs & 0xFC, 0x40);
        for (auto b : status.Balanced)
            EXPECT_EQ(b & 0xF8, 0x28);
        EXPECT_EQ(std::memcmp(status.Reserved16, before.Reserved16, sizeof(status.Reserved16)), 0);
        EXPECT_EQ(std::memcmp(status.BoardIdBytes, before.BoardIdBytes, 7), 0);
    }
    EXPECT_EQ(seen.size(), 19u);
    for (const auto& [lamp, values] : seen)
        EXPECT_EQ(values.size(), 2u) << lamp << " never changed";
}

} // namespace
