#include "link/Tpyloxdata.h"

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

namespace {

TEST(Records, DefaultConfigHoldsTelephonePasswordAndZeros) {
    TPyloxConfig config;
    std::memset(&config, 0xAA, sizeof(config));
    DefaultConfig(config);
    const uint8_t* b = config.Bytes();
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(b[i] >= '0' && b[i] <= '9') << i;
    EXPECT_EQ(b[10], 0);
    EXPECT_EQ(config.GetPassword(), "480917");
    for (std::size_t i = 0; i < kConfigSize; ++i) {
        if (i > 10 && (i < 44 || i > 49)) {
            EXPECT_EQ(b[i], 0) << i;
        }
    }
}

TEST(Records, PasswordFieldWritesSixCharactersAtMostAndKeepsByte50Zero) {
    struct Case {
        std::string written, read;
    } cases[] = {{"abc", "abc"}, {"abcdef", "abcdef"}, {"abcdefgh", "abcdef"}, {"", ""}};
    for (const auto& c : cases) {
        TPyloxConfig config;
        std::memset(&config, 0x55, sizeof(config));
        config.SetPassword(c.written);
        EXPECT_EQ(config.GetPassword(), c.read);
        for (std::size_t i = 44 + c.read.size(); i <= 50; ++i)
            EXPECT_EQ(config.Bytes()[i], 0) << c.written << " byte " << i;
        EXPECT_EQ(config.Bytes()[43], 0x55);
        EXPECT_EQ(config.Bytes()[51], 0x55);
    }
}

TEST(Records, PolarityWritesBitZeroOnly) {
    TInputConfig input{1, 5, 0x81};
    EXPECT_TRUE(input.IsNC());
    input.SetNC(false);
    EXPECT_EQ(input.Flags, 0x80);
    input.SetNC(true);
    EXPECT_EQ(input.Flags, 0x81);
    input.Flags = 0xFE;
    input.SetNC(true);
    EXPECT_EQ(input.Flags, 0xFF);
}

TEST(Records, StatusBitsDriveTheLamps) {
    TPyloxStatus status{};
    status.Balanced[0] = 0x05;
    EXPECT_TRUE(status.BalancedTamper(1));
    EXPECT_FALSE(status.BalancedAlarm(1));
    EXPECT_TRUE(status.BalancedCableCut(1));
    status.DigitalInputs = 0xF5; // bits 4-7 are not inputs
    EXPECT_TRUE(status.DigitalInput(1));
    EXPECT_FALSE(status.DigitalInput(2));
    EXPECT_TRUE(status.DigitalInput(3));
    EXPECT_FALSE(status.DigitalInput(4));
    status.PowerFlags = 0xFE;
    EXPECT_FALSE(status.LowBattery());
    status.Outputs = 0x02;
    EXPECT_FALSE(status.Output(1));
    EXPECT_TRUE(status.Output(2));
}

TEST(Records, BoardIdIsReadLittleEndian) {
    TPyloxStatus status{};
    const uint8_t id[] = {0xDE, 0xBC, 0x9A, 0x78, 0x56, 0x34, 0x12};
    std::memcpy(status.BoardIdBytes, id, sizeof(id));
    const TBoardId boardId = status.BoardId();
    EXPECT_EQ(boardId.Id32, 0x789ABCDEu);
    EXPECT_EQ(boardId.Id16, 0x3456u);
    EXPECT_EQ(boardId.Id8, 0x12u);
}

TZelkBasicMsg Answer(uint8_t command, uint8_t length, uint8_t fill = 0) {
    TZelkBasicMsg answer{};
    answer.Command = command;
    answer.Length = length;
    std::iota(answer.Data, answer.Data + sizeof(answer.Data), fill);
    return answer;
}

TEST(Records, VersionAnswerIsFourBytesLittleEndian) {
    TZelkBasicMsg answer = Answer(0x22, 4);
    const uint8_t bytes[] = {0x08, 0x01, 0x00, 0x01};
    std::memcpy(answer.Data, bytes, 4);
    uint32_t version = 0;
    ASSERT_TRUE(ParseVersion(answer, version));
    EXPECT_EQ(version, kFirmwareWithNQuery);

    for (const auto& bad : {Answer(0x22, 3), Answer(0x22, 5), Answer('V', 4), Answer(0x22, 255)}) {
        uint32_t untouched = 77;
        EXPECT_FALSE(ParseVersion(bad, untouched));
        EXPECT_EQ(untouched, 77u);
    }
}

TEST(Records, ConfigAnswerFillsTheWireBytesAndZeroesTheTail) {
    TPyloxConfig config;
    std::memset(&config, 0xEE, sizeof(config));
    ASSERT_TRUE(ParseConfig(Answer('S', 73, 1), config));
    for (std::size_t i = 0; i < kConfigWireSize; ++i)
        EXPECT_EQ(config.Bytes()[i], static_cast<uint8_t>(i + 1)) << i;
    EXPECT_EQ(config.Tail, 0);

    for (const auto& bad : {Answer('S', 72), Answer('S', 74), Answer('R', 73), Answer('S', 232)}) {
        TPyloxConfig untouched;
        std::memset(&untouched, 0xEE, sizeof(untouched));
        EXPECT_FALSE(ParseConfig(bad, untouched));
        EXPECT_EQ(untouched.Tail, 0xEE);
        EXPECT_EQ(untouched.Bytes()[0], 0xEE);
    }
}

TEST(Records, StatusAnswerIsCopiedUnchanged) {
    TPyloxStatus status{};
    ASSERT_TRUE(ParseStatus(Answer('@', 71, 9), status));
    for (std::size_t i = 0; i < kStatusSize; ++i)
        EXPECT_EQ(status.Bytes()[i], static_cast<uint8_t>(i + 9));

    for (const auto& bad : {Answer('@', 70), Answer('@', 72), Answer('S', 71), Answer('@', 240)}) {
        TPyloxStatus untouched{};
        untouched.Outputs = 3;
        EXPECT_FALSE(ParseStatus(bad, untouched));
        EXPECT_EQ(untouched.Outputs, 3);
        EXPECT_EQ(untouched.DigitalInputs, 0);
    }
}

} // namespace
