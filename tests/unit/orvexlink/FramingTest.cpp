#include "OrvexFraming.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace orvexlink;

namespace {

TZelkBasicMsg Frame(uint8_t command, uint8_t length) {
    TZelkBasicMsg frame{};
    frame.Command = command;
    frame.Length = length;
    frame.ControlA = 3;
    frame.ControlB = 4;
    for (int i = 0; i < 4; ++i)
        frame.LinkWord[i] = static_cast<uint8_t>(0x10 + i);
    for (int i = 0; i < length; ++i)
        frame.Data[i] = static_cast<uint8_t>(i * 7);
    return frame;
}

bool SameFrame(const TZelkBasicMsg& a, const TZelkBasicMsg& b) {
    return a.Command == b.Command && a.Length == b.Length && a.ControlA == b.ControlA &&
           a.ControlB == b.ControlB && std::memcmp(a.LinkWord, b.LinkWord, 4) == 0 &&
           std::memcmp(a.Data, b.Data, a.Length) == 0;
}

TEST(Framing, BothVariantsRoundTripEveryLength) {
    for (int protocol : {kProtocolLegacy, kProtocolCurrent}) {
        for (int length : {0, 1, 73, 231}) {
            const TZelkBasicMsg sent = Frame('@', static_cast<uint8_t>(length));
            const auto bytes = EncodeFrame(sent, protocol);
            for (int decoderProtocol : {protocol, kProtocolAny}) {
                FrameDecoder decoder(decoderProtocol);
                // Fed a byte at a time, as a serial line delivers it.
                TZelkBasicMsg got{};
                int variant = -5;
                bool done = false;
                for (std::size_t i = 0; i < bytes.size(); ++i) {
                    EXPECT_FALSE(done);
                    decoder.Feed(&bytes[i], 1);
                    done = decoder.Next(got, &variant);
                }
                ASSERT_TRUE(done) << protocol << " " << length;
                EXPECT_TRUE(SameFrame(sent, got));
                EXPECT_EQ(variant, protocol);
            }
        }
    }
}

// The bytes a board sees are a contract: these are the documented examples.
TEST(Framing, FramesHaveTheirDocumentedBytes) {
    TZelkBasicMsg status{};
    status.Command = '@';
    TZelkBasicMsg login{};
    login.Command = '#';
    login.Length = 5;
    std::memcpy(login.Data, "1234", 5);
    struct Case {
        const TZelkBasicMsg& frame;
        int protocol;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {status, kProtocolCurrent, {0xA5, 0x5A, 0x40, 0, 0, 0, 0, 0, 0, 0, 0xC7, 0xEE}},
        {status, kProtocolLegacy, {0x7E, 0x40, 0, 0, 0, 0, 0, 0, 0, 0xC0}},
        {login,
         kProtocolCurrent,
         {0xA5, 0x5A, 0x23, 0, 0, 0, 0, 0, 0, 5, 0x31, 0x32, 0x33, 0x34, 0, 0xBB, 0x5A}},
        {login,
         kProtocolLegacy,
         {0x7E, 0x23, 0, 0, 0, 0, 0, 0, 5, 0x31, 0x32, 0x33, 0x34, 0, 0x0E}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EncodeFrame(c.frame, c.protocol), c.bytes) << c.frame.Command << c.protocol;
}

TEST(Framing, ADecoderForOneVariantIgnoresTheOther) {
    const auto legacy = EncodeFrame(Frame('S', 5), kProtocolLegacy);
    FrameDecoder decoder(kProtocolCurrent);
    decoder.Feed(legacy.data(), legacy.size());
    TZelkBasicMsg got;
    EXPECT_FALSE(decoder.Next(got));
}

TEST(Framing, ResynchronisesAfterGarbageAndDamagedFrames) {
    const TZelkBasicMsg good = Frame('@', 71);
    const auto goodBytes = EncodeFrame(good, kProtocolCurrent);

    auto badChecksum = EncodeFrame(Frame('@', 10), kProtocolCurrent);
    badChecksum.back() ^= 0xFF;
    auto oversized = EncodeFrame(Frame('@', 2), kProtocolCurrent);
    oversized[2 + 7] = 232; // a length over the data block
    auto truncated = EncodeFrame(Frame('S', 73), kProtocolCurrent);
    truncated.resize(40);

    const std::vector<std::vector<uint8_t>> prefixes = {
        {0x00, 0xFF, 0xA5, 0x13, 0x7E, 0x5A}, badChecksum, oversized, truncated};
    for (const auto& prefix : prefixes) {
        FrameDecoder decoder(kProtocolAny);
        decoder.Feed(prefix.data(), prefix.size());
        decoder.Feed(goodBytes.data(), goodBytes.size());
        TZelkBasicMsg got{};
        ASSERT_TRUE(decoder.Next(got)) << prefix.size();
        EXPECT_TRUE(SameFrame(good, got));
        EXPECT_FALSE(decoder.Next(got));
    }
}

TEST(Framing, NeverDeliversADamagedFrame) {
    // Every single-bit error in a frame is caught by the check.
    const auto bytes = EncodeFrame(Frame('R', 73), kProtocolCurrent);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            auto damaged = bytes;
            damaged[i] ^= static_cast<uint8_t>(1 << bit);
            FrameDecoder decoder(kProtocolCurrent);
            decoder.Feed(damaged.data(), damaged.size());
            TZelkBasicMsg got;
            EXPECT_FALSE(decoder.Next(got)) << "byte " << i << " bit " << bit;
        }
    }
}

TEST(Framing, DeliversFramesThatArriveTogetherOneByOne) {
    std::vector<uint8_t> stream;
    for (uint8_t command : {'#', 'S', '@'}) {
        const auto bytes = EncodeFrame(Frame(command, 200), kProtocolCurrent);
        stream.insert(stream.end(), bytes.begin(), bytes.end());
    }
    FrameDecoder decoder(kProtocolCurrent);
    decoder.Feed(stream.data(), stream.size());
    TZelkBasicMsg got;
    for (uint8_t command : {'#', 'S', '@'}) {
        ASSERT_TRUE(decoder.Next(got));
        EXPECT_EQ(got.Command, command);
    }
    EXPECT_FALSE(decoder.Next(got));
}

TEST(Framing, EncodingADamagedLengthStaysInTheDataBlock) {
    TZelkBasicMsg frame = Frame('@', 0);
    frame.Length = 250;
    const auto bytes = EncodeFrame(frame, kProtocolCurrent);
    FrameDecoder decoder(kProtocolCurrent);
    decoder.Feed(bytes.data(), bytes.size());
    TZelkBasicMsg got;
    ASSERT_TRUE(decoder.Next(got));
    EXPECT_EQ(got.Length, OCI_MAX_DATA);
}

} // namespace
