// Wire bytes from a peer, in pieces of any size, through the frame decoder of the
// link library and the emulator. Every frame that comes out is whole and checked:
// encoded again and decoded by a fresh decoder it comes out the same.
#include "OrvexFraming.h"

#include <cstdlib>
#include <cstring>

using namespace orvexlink;

namespace {

bool SameFrame(const TZelkBasicMsg& a, const TZelkBasicMsg& b) {
    return a.Command == b.Command && a.Length == b.Length &&
           std::memcmp(a.Data, b.Data, a.Length) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    // First byte: the decoder's variant; second: the piece size the bytes arrive in.
    const int protocols[] = {kProtocolLegacy, kProtocolCurrent, kProtocolAny};
    const int protocol = protocols[data[0] % 3];
    const size_t piece = data[1] % 64 + 1;
    data += 2;
    size -= 2;

    FrameDecoder decoder(protocol);
    for (size_t at = 0; at < size; at += piece) {
        decoder.Feed(data + at, size - at < piece ? size - at : piece);
        TZelkBasicMsg frame;
        int variant = -2;
        while (decoder.Next(frame, &variant)) {
            if (frame.Length > OCI_MAX_DATA)
                std::abort();
            if (variant != kProtocolLegacy && variant != kProtocolCurrent)
                std::abort();
            if (protocol != kProtocolAny && variant != protocol)
                std::abort();
            const std::vector<uint8_t> wire = EncodeFrame(frame, variant);
            FrameDecoder again(variant);
            again.Feed(wire.data(), wire.size());
            TZelkBasicMsg back;
            if (!again.Next(back) || !SameFrame(frame, back))
                std::abort();
        }
    }
    decoder.Reset();
    return 0;
}
