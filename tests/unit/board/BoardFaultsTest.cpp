#include "BoardFaults.h"
#include "OrvexFraming.h"
#include "link/Tpyloxmsg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>

namespace {

using orvexlink::kProtocolCurrent;
using orvexlink::kProtocolLegacy;

TZelkBasicMsg StatusAnswer() {
    TZelkBasicMsg answer{};
    answer.Command = '@';
    answer.Length = 71;
    for (int i = 0; i < 71; ++i)
        answer.Data[i] = static_cast<uint8_t>(i);
    return answer;
}

// The frames a peer decodes from the bytes, with the variant of each.
std::vector<std::pair<TZelkBasicMsg, int>> Decode(const std::vector<uint8_t>& bytes) {
    orvexlink::FrameDecoder decoder(orvexlink::kProtocolAny);
    decoder.Feed(bytes.data(), bytes.size());
    std::vector<std::pair<TZelkBasicMsg, int>> frames;
    TZelkBasicMsg frame;
    int variant = -1;
    while (decoder.Next(frame, &variant))
        frames.emplace_back(frame, variant);
    return frames;
}

TEST(BoardFaults, EachFaultChangesTheNextAnswersOnly) {
    struct Case {
        const char* name;
        unsigned BoardFaults::*counter;
        int variant;
        uint8_t command; // of the answer a peer decodes
        uint8_t length;
        bool garbageFirst;
        std::chrono::milliseconds delay;
    } cases[] = {
        {"none", nullptr, kProtocolCurrent, '@', 71, false, {}},
        {"legacy", nullptr, kProtocolLegacy, '@', 71, false, {}},
        {"wrong-length", &BoardFaults::wrongLength, kProtocolCurrent, '@', 70, false, {}},
        {"wrong-command", &BoardFaults::wrongCommand, kProtocolLegacy, '@' ^ 1, 71, false, {}},
        {"garbage", &BoardFaults::garbage, kProtocolCurrent, '@', 71, true, {}},
        {"garbage legacy", &BoardFaults::garbage, kProtocolLegacy, '@', 71, true, {}},
        {"delay", &BoardFaults::delay, kProtocolCurrent, '@', 71, false,
         std::chrono::milliseconds(250)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BoardFaults faults;
        faults.delayBy = std::chrono::milliseconds(250);
        if (c.counter)
            faults.*c.counter = 2;
        for (int round = 0; round < 3; ++round) {
            SCOPED_TRACE(round);
            const bool affected = c.counter && round < 2;
            const auto out = faults.Shape(StatusAnswer(), c.variant);
            ASSERT_TRUE(out);
            const auto frames = Decode(out->bytes);
            ASSERT_EQ(frames.size(), 1u);
            const auto& [frame, variant] = frames[0];
            EXPECT_EQ(variant, c.variant); // answered in kind
            EXPECT_EQ(frame.Command, affected ? c.command : '@');
            EXPECT_EQ(frame.Length, affected ? c.length : 71);
            EXPECT_EQ(std::memcmp(frame.Data, StatusAnswer().Data, frame.Length), 0);
            const bool garbage =
                out->bytes.size() >= std::size(kBoardGarbage) &&
                std::equal(std::begin(kBoardGarbage), std::end(kBoardGarbage), out->bytes.begin());
            EXPECT_EQ(garbage, affected && c.garbageFirst);
            EXPECT_EQ(out->delay, affected ? c.delay : std::chrono::milliseconds(0));
        }
    }
}

TEST(BoardFaults, DroppedAnswersAreNotSentAndFaultsAddUp) {
    BoardFaults faults;
    faults.drop = 1;
    faults.wrongLength = 1;
    faults.wrongCommand = 1;
    EXPECT_FALSE(faults.Shape(StatusAnswer(), kProtocolCurrent));
    // The dropped answer used up the drop alone; the next one carries both others.
    const auto out = faults.Shape(StatusAnswer(), kProtocolCurrent);
    ASSERT_TRUE(out);
    const auto frames = Decode(out->bytes);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].first.Command, '@' ^ 1);
    EXPECT_EQ(frames[0].first.Length, 70);
    EXPECT_EQ(faults.Describe(), "drop=0 delay=0/0ms wrong-length=0 wrong-command=0 garbage=0");

    // An empty answer made the wrong length gains a byte rather than wrapping around.
    faults.wrongLength = 1;
    TZelkBasicMsg empty{};
    empty.Command = 'U';
    const auto grown = Decode(faults.Shape(empty, kProtocolLegacy)->bytes);
    ASSERT_EQ(grown.size(), 1u);
    EXPECT_EQ(grown[0].first.Length, 1);
}

} // namespace
