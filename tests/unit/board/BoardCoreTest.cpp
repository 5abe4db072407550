#include "BoardCore.h"
#include "TestEnvironment.h"
#include "link/Tpyloxmsg.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

TEST(BoardCore, LoginChecksThePasswordOfTheConfiguration) {
    BoardCore board("");
    struct Case {
        std::string password;
        uint8_t accepted;
    } cases[] = {{"480917", 1}, {"480918", 0}, {"", 0}, {"4809170", 0}, {std::string(25, 'x'), 0}};
    for (const auto& c : cases) {
        TPyloxMsg login;
        login.BuildLogin(c.password);
        const auto answer = board.Answer(*login.Frame());
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->Command, '#');
        EXPECT_EQ(answer->Length, 1);
        EXPECT_EQ(answer->Data[0], c.accepted) << c.password;
    }
    board.SetRefuseLogin(true);
    TPyloxMsg login;
    login.BuildLogin("480917");
    EXPECT_EQ(board.Answer(*login.Frame())->Data[0], 0);
}

TEST(BoardCore, AnswersCarryTheRecordsTheCheckersAccept) {
    BoardCore board("");
    board.SetFirmware(0x01000107);
    board.SetNAnswer(13);
    board.Status().Balanced[0] = 0x07;

    TPyloxMsg request;
    request.BuildVersionRequest();
    uint32_t version = 0;
    EXPECT_TRUE(ParseVersion(*board.Answer(*request.Frame()), version));
    EXPECT_EQ(version, 0x01000107u);

    request.BuildNQuery();
    TPyloxMsg n;
    n.CopyAnswer(*board.Answer(*request.Frame()));
    uint32_t value = 0;
    EXPECT_TRUE(n.ParseNAnswer(value));
    EXPECT_EQ(value, 13u);

    request.BuildReadConfig();
    TPyloxConfig config;
    EXPECT_TRUE(ParseConfig(*board.Answer(*request.Frame()), config));
    EXPECT_EQ(config.GetPassword(), "480917");

    request.BuildStatusRequest();
    TPyloxStatus status;
    EXPECT_TRUE(ParseStatus(*board.Answer(*request.Frame()), status));
    EXPECT_TRUE(status.BalancedCableCut(1));
    EXPECT_EQ(board.Counts().at('@'), 1u);
}

TEST(BoardCore, AWriteTakesEffectOnlyWhenCommittedAndPersists) {
    pylox::test::TempDir dir;
    const std::string state = (dir.path() / "state").string();
    TPyloxConfig changed;
    {
        BoardCore board(state);
        changed = board.Config();
        changed.Inputs[0] = {stAllarme, 10, 0x81};
        changed.SetPassword("abc");
        TPyloxMsg commit;
        commit.BuildCommit();
        EXPECT_EQ(board.Answer(*commit.Frame())->Data[0], 0); // nothing staged

        TPyloxMsg write;
        write.BuildWriteConfig(changed);
        EXPECT_EQ(board.Answer(*write.Frame())->Data[0], 1);
        EXPECT_NE(board.Config(), changed);
        EXPECT_EQ(board.Answer(*commit.Frame())->Data[0], 1);
        EXPECT_EQ(board.Config(), changed);

        write.Length = 72; // a damaged write is refused and stages nothing
        EXPECT_EQ(board.Answer(*write.Frame())->Data[0], 0);
        EXPECT_FALSE(board.Staged());
    }
    BoardCore restarted(state);
    EXPECT_EQ(restarted.Config(), changed);
    TPyloxMsg login;
    login.BuildLogin("abc");
    EXPECT_EQ(restarted.Answer(*login.Frame())->Data[0], 1);
}

TEST(BoardCore, ADamagedStateFileLeavesTheDefaults) {
    pylox::test::TempDir dir;
    const auto state = dir.path() / "state";
    std::ofstream(state) << "config 12zz\n";
    BoardCore board(state.string());
    TPyloxConfig defaults;
    DefaultConfig(defaults);
    EXPECT_EQ(board.Config(), defaults);
}

} // namespace
