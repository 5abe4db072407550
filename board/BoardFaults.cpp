#include "BoardFaults.h"

#include "OrvexFraming.h"

#include <iterator>

namespace {

// Uses one count of a fault; false when none is left.
bool Take(unsigned& counter) {
    if (counter == 0)
        return false;
    --counter;
    return true;
}

} // namespace

std::optional<BoardOutgoing> BoardFaults::Shape(TZelkBasicMsg answer, int variant) {
    if (Take(drop))
        return std::nullopt;
    if (Take(wrongLength))
        answer.Length = static_cast<uint8_t>(answer.Length == 0 ? 1 : answer.Length - 1);
    if (Take(wrongCommand))
        answer.Command = static_cast<uint8_t>(answer.Command ^ 0x01);
    BoardOutgoing out;
    if (Take(delay))
        out.delay = delayBy;
    if (Take(garbage))
        out.bytes.assign(std::begin(kBoardGarbage), std::end(kBoardGarbage));
    const auto frame = orvexlink::EncodeFrame(answer, variant);
    out.bytes.insert(out.bytes.end(), frame.begin(), frame.end());
    return out;
}

std::string BoardFaults::Describe() const {
    return "drop=" + std::to_string(drop) + " delay=" + std::to_string(delay) + "/" +
           std::to_string(delayBy.count()) + "ms wrong-length=" + std::to_string(wrongLength) +
           " wrong-command=" + std::to_string(wrongCommand) + " garbage=" + std::to_string(garbage);
}
