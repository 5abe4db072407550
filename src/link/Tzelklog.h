// The link library's log: its level comes from the command line's -log switch.
#pragma once

#include <atomic>
#include <cstdint>

// 0 keeps the log off.
extern std::atomic<int32_t> LinkLogLevel;

// Has the link library write "log.txt" at LinkLogLevel + 1 when the level is not 0.
void ApplyLinkLog();
