// Wire framing of the board link, shared by libOrvexLink.so and the board emulator.
// The byte layout is documented in docs/link-protocol.md.
#pragma once

#include "orvexlink.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvexlink {

// Protocol variants selected with ociSetProtocol.
constexpr int kProtocolLegacy = 0;
constexpr int kProtocolCurrent = 1;
// Decoder setting for a peer that answers in whatever variant it was asked in.
constexpr int kProtocolAny = -1;

// The wire bytes of one frame in the given variant (kProtocolLegacy or kProtocolCurrent).
std::vector<uint8_t> EncodeFrame(const TZelkBasicMsg& frame, int protocol);

// Incremental decoder: bytes go in as they arrive, whole checked frames come out.
// Garbage, damaged and oversized frames are skipped by resynchronising on the next
// start mark; the decoder never holds more than one maximal frame of pending bytes.
class FrameDecoder {
public:
    explicit FrameDecoder(int protocol);

    void Feed(const uint8_t* data, size_t size);

    // Takes the next complete frame; false when none is complete yet. On success
    // *variant (when given) tells which protocol variant the frame came in.
    bool Next(TZelkBasicMsg& frame, int* variant = nullptr);

    // Drops pending bytes, e.g. after a link was re-opened.
    void Reset();

private:
    int protocol_;
    std::vector<uint8_t> pending_;
};

} // namespace orvexlink
