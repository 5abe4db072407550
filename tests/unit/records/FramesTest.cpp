#include "link/Tpyloxmsg.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(Frames, ConstructionSetsTheControlBytes) {
    const TPyloxMsg msg;
    EXPECT_EQ(msg.ControlA, 128);
    EXPECT_EQ(msg.ControlB, 0);
    EXPECT_EQ(msg.Length, 0);
    const uint8_t zero[4] = {};
    EXPECT_EQ(std::memcmp(msg.LinkWord, zero, 4), 0);
}

TEST(Frames, LoginCarriesThePasswordWithinTwentyCharacters) {
    struct Case {
        std::string password;
        uint8_t length;
        bool terminated;
    } cases[] = {
        {"", 1, true},
        {"480917", 7, true},
        {std::string(20, 'x'), 21, true},
        {std::string(21, 'y'), 20, false},
        {std::string(40, 'z'), 20, false},
    };
    for (const auto& c : cases) {
        TPyloxMsg msg;
        std::memset(msg.Data, 0xAA, sizeof(msg.Data));
        msg.BuildLogin(c.password);
        SCOPED_TRACE(c.password.size());
        EXPECT_EQ(msg.Command, '#');
        EXPECT_EQ(msg.Length, c.length);
        const std::size_t chars = std::min<std::size_t>(c.password.size(), 20);
        EXPECT_EQ(std::memcmp(msg.Data, c.password.data(), chars), 0);
        EXPECT_EQ(msg.Data[chars], c.terminated ? 0 : 0xAA);
    }
}

TEST(Frames, EmptyRequestsCarryOnlyTheirCommand) {
    struct Case {
        void (TPyloxMsg::*build)();
        uint8_t command;
    } cases[] = {{&TPyloxMsg::BuildVersionRequest, 0x22},
                 {&TPyloxMsg::BuildNQuery, 'N'},
                 {&TPyloxMsg::BuildReadConfig, 'S'},
                 {&TPyloxMsg::BuildCommit, 'U'},
                 {&TPyloxMsg::BuildStatusRequest, '@'}};
    for (const auto& c : cases) {
        TPyloxMsg msg;
        msg.Length = 9;
        (msg.*c.build)();
        EXPECT_EQ(msg.Command, c.command);
        EXPECT_EQ(msg.Length, 0);
    }
}

TEST(Frames, WriteConfigSendsExactlyTheWireBytes) {
    TPyloxConfig config;
    for (std::size_t i = 0; i < kConfigSize; ++i)
        config.Bytes()[i] = static_cast<uint8_t>(i * 3 + 1);
    config.Tail = 0x99; // a tail loaded from a file stays off the wire
    TPyloxMsg msg;
    std::memset(msg.Data, 0, sizeof(msg.Data));
    msg.BuildWriteConfig(config);
    EXPECT_EQ(msg.Command, 'R');
    EXPECT_EQ(msg.Length, 73);
    EXPECT_EQ(std::memcmp(msg.Data, config.Bytes(), 73), 0);
    EXPECT_EQ(msg.Data[73], 0);
}

TEST(Frames, NAnswerNeedsLengthOneAndCommandN) {
    TPyloxMsg answer;
    answer.Command = 'N';
    answer.Length = 1;
    answer.Data[0] = 14;
    uint32_t value = 0;
    ASSERT_TRUE(answer.ParseNAnswer(value));
    EXPECT_EQ(value, 14u);

    for (auto [command, length] : {std::pair<uint8_t, uint8_t>{'N', 2}, {'N', 0}, {'M', 1}}) {
        answer.Command = command;
        answer.Length = length;
        uint32_t untouched = 5;
        EXPECT_FALSE(answer.ParseNAnswer(untouched));
        EXPECT_EQ(untouched, 5u);
    }
}

TEST(Frames, CopyingAnAnswerCarriesItsFieldsAndStaysInTheDataBlock) {
    TPyloxMsg answer;
    answer.Command = '@';
    answer.Length = 3;
    answer.ControlA = 7;
    answer.ControlB = 8;
    const uint8_t link[4] = {1, 2, 3, 4};
    std::memcpy(answer.LinkWord, link, 4);
    answer.Data[0] = 10;
    answer.Data[1] = 11;
    answer.Data[2] = 12;
    answer.Data[3] = 13; // beyond Length: not copied

    TPyloxMsg frame;
    frame.BuildStatusRequest();
    ASSERT_TRUE(frame.CopyAnswer(answer));
    EXPECT_EQ(frame.Command, '@');
    EXPECT_EQ(frame.Length, 3);
    EXPECT_EQ(frame.ControlA, 7);
    EXPECT_EQ(frame.ControlB, 8);
    EXPECT_EQ(std::memcmp(frame.LinkWord, link, 4), 0);
    EXPECT_EQ(frame.Data[2], 12);
    EXPECT_EQ(frame.Data[3], 0);

    // The whole data block is a valid answer.
    answer.Length = 231;
    std::memset(answer.Data, 0x5A, sizeof(answer.Data));
    ASSERT_TRUE(frame.CopyAnswer(answer));
    EXPECT_EQ(frame.Data[230], 0x5A);
    EXPECT_EQ(frame.Length, 231);
}

TEST(Frames, AnAnswerLongerThanTheDataBlockIsRejectedAndNothingIsCopied) {
    for (const uint8_t length : {232, 240, 255}) {
        SCOPED_TRACE(int{length});
        TPyloxMsg answer;
        answer.Command = 'R';
        answer.Length = length;
        answer.ControlA = 7;
        std::memset(answer.Data, 0x5A, sizeof(answer.Data));

        TPyloxMsg frame;
        frame.BuildCommit();
        const TPyloxMsg before = frame;
        EXPECT_FALSE(frame.CopyAnswer(answer));
        EXPECT_EQ(std::memcmp(frame.Frame(), before.Frame(), sizeof(TZelkBasicMsg)), 0);
    }
}

} // namespace
