#include "link/Tzelklog.h"

#include "link/Orvexcominterfacelib.h"

std::atomic<int32_t> LinkLogLevel{0};

void ApplyLinkLog() {
    if (const int32_t level = LinkLogLevel; level != 0)
        orvex::ociSetLog("log.txt", level + 1);
}
