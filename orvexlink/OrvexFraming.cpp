#include "OrvexFraming.h"

#include <algorithm>
#include <cstring>

namespace orvexlink {

namespace {

// Start marks of the two variants.
constexpr uint8_t kMarkCurrent[2] = {0xA5, 0x5A};
constexpr uint8_t kMarkLegacy = 0x7E;
// Command, ControlA, ControlB, LinkWord (4), Length.
constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kMaxFrameSize = 2 + kHeaderSize + OCI_MAX_DATA + 2;

uint16_t Crc16(const uint8_t* data, std::size_t size) {
    // CRC-16/CCITT-FALSE: polynomial 0x1021, initial value 0xFFFF.
    uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < size; ++i) {
        crc = static_cast<uint16_t>(crc ^ (data[i] << 8));
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

uint8_t Sum8(const uint8_t* data, std::size_t size) {
    uint8_t sum = 0;
    for (std::size_t i = 0; i < size; ++i)
        sum = static_cast<uint8_t>(sum + data[i]);
    return static_cast<uint8_t>(-sum);
}

std::size_t MarkSize(int variant) {
    return variant == kProtocolLegacy ? 1 : 2;
}
std::size_t CheckSize(int variant) {
    return variant == kProtocolLegacy ? 1 : 2;
}

// The variant whose start mark begins at p (with n bytes available), -1 when
// none does, -2 when the bytes may still become one.
int MarkAt(const uint8_t* p, std::size_t n, int accepted) {
    if ((accepted == kProtocolLegacy || accepted == kProtocolAny) && p[0] == kMarkLegacy)
        return kProtocolLegacy;
    if ((accepted == kProtocolCurrent || accepted == kProtocolAny) && p[0] == kMarkCurrent[0]) {
        if (n < 2)
            return -2;
        if (p[1] == kMarkCurrent[1])
            return kProtocolCurrent;
    }
    return -1;
}

} // namespace

std::vector<uint8_t> EncodeFrame(const TZelkBasicMsg& frame, int protocol) {
    const int variant = protocol == kProtocolLegacy ? kProtocolLegacy : kProtocolCurrent;
    const std::size_t length = std::min<std::size_t>(frame.Length, OCI_MAX_DATA);
    std::vector<uint8_t> bytes;
    bytes.reserve(kMaxFrameSize);
    if (variant == kProtocolLegacy)
        bytes.push_back(kMarkLegacy);
    else
        bytes.insert(bytes.end(), kMarkCurrent, kMarkCurrent + 2);
    const std::size_t body = bytes.size();
    bytes.push_back(frame.Command);
    bytes.push_back(frame.ControlA);
    bytes.push_back(frame.ControlB);
    bytes.insert(bytes.end(), frame.LinkWord, frame.LinkWord + 4);
    bytes.push_back(static_cast<uint8_t>(length));
    bytes.insert(bytes.end(), frame.Data, frame.Data + length);
    if (variant == kProtocolLegacy) {
        bytes.push_back(Sum8(bytes.data() + body, bytes.size() - body));
    } else {
        const uint16_t crc = Crc16(bytes.data() + body, bytes.size() - body);
        bytes.push_back(static_cast<uint8_t>(crc >> 8));
        bytes.push_back(static_cast<uint8_t>(crc & 0xFF));
    }
    return bytes;
}

FrameDecoder::FrameDecoder(int protocol) : protocol_(protocol) {}

void FrameDecoder::Feed(const uint8_t* data, std::size_t size) {
    pending_.insert(pending_.end(), data, data + size);
}

void FrameDecoder::Reset() {
    pending_.clear();
}

bool FrameDecoder::Next(TZelkBasicMsg& frame, int* variantOut) {
    // A false start mark may claim more bytes than will ever come, so a complete
    // frame further on is taken even while an earlier candidate is incomplete.
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t firstIncomplete = kNone;
    for (std::size_t start = 0; start < pending_.size(); ++start) {
        const uint8_t* p = pending_.data() + start;
        const std::size_t n = pending_.size() - start;
        const int variant = MarkAt(p, n, protocol_);
        if (variant == -1)
            continue;
        if (variant == -2) { // half a start mark at the very end
            if (firstIncomplete == kNone)
                firstIncomplete = start;
            continue;
        }
        const std::size_t mark = MarkSize(variant);
        std::size_t total = mark + kHeaderSize;
        if (n >= total) {
            const std::size_t length = p[mark + 7];
            if (length > OCI_MAX_DATA)
                continue; // not a frame
            total += length + CheckSize(variant);
        }
        if (n < total) {
            if (firstIncomplete == kNone)
                firstIncomplete = start;
            continue;
        }
        const uint8_t* body = p + mark;
        const std::size_t length = body[7];
        const std::size_t bodySize = kHeaderSize + length;
        bool valid;
        if (variant == kProtocolLegacy) {
            valid = Sum8(body, bodySize) == body[bodySize];
        } else {
            const uint16_t crc = Crc16(body, bodySize);
            valid = body[bodySize] == (crc >> 8) && body[bodySize + 1] == (crc & 0xFF);
        }
        if (!valid)
            continue;
        std::memset(&frame, 0, sizeof(frame));
        frame.Command = body[0];
        frame.ControlA = body[1];
        frame.ControlB = body[2];
        std::memcpy(frame.LinkWord, body + 3, 4);
        frame.Length = static_cast<uint8_t>(length);
        std::memcpy(frame.Data, body + kHeaderSize, length);
        if (variantOut)
            *variantOut = variant;
        pending_.erase(pending_.begin(),
                       pending_.begin() + static_cast<std::ptrdiff_t>(start + total));
        return true;
    }
    // What stays is the earliest candidate that may still complete; it can never
    // need more than one maximal frame, so the buffer stays bounded.
    const std::size_t keep = firstIncomplete == kNone ? pending_.size() : firstIncomplete;
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(keep));
    return false;
}

} // namespace orvexlink
