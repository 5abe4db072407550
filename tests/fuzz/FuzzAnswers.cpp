// A board's answer frame, whatever bytes it holds, through every answer checker.
#include "link/Tpyloxdata.h"
#include "link/Tpyloxmsg.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TZelkBasicMsg answer;
    std::memset(&answer, 0, sizeof(answer));
    std::memcpy(&answer, data, size < sizeof(answer) ? size : sizeof(answer));

    uint32_t version = 0;
    ParseVersion(answer, version);

    TPyloxConfig config;
    if (ParseConfig(answer, config)) {
        // The tail byte never comes from the board.
        TPyloxConfig defaults;
        DefaultConfig(defaults);
        if (config.Tail != defaults.Tail)
            std::abort();
        config.GetPassword();
    }

    TPyloxStatus status;
    if (ParseStatus(answer, status)) {
        status.BoardId();
        for (int n = 1; n <= kBalancedCount; ++n)
            status.BalancedCableCut(n);
    }

    TPyloxMsg message;
    static_cast<TZelkBasicMsg&>(message) = answer;
    uint32_t value = 0;
    message.ParseNAnswer(value);

    TPyloxMsg copy;
    const TPyloxMsg before = copy;
    if (copy.CopyAnswer(answer)) {
        if (copy.Length != answer.Length || copy.Length > OCI_MAX_DATA ||
            std::memcmp(copy.Data, answer.Data, copy.Length) != 0)
            std::abort();
    } else if (std::memcmp(copy.Frame(), before.Frame(), sizeof(TZelkBasicMsg)) != 0) {
        std::abort(); // a refused answer leaves the frame as it was
    }
    return 0;
}
