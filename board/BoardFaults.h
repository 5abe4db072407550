// Faults injected into the board's answers: each counts the answers it still affects.
#pragma once

#include <orvexlink.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The bytes that carry one answer and how long they are held back.
struct BoardOutgoing {
    std::vector<uint8_t> bytes;
    std::chrono::milliseconds delay{0};
};

struct BoardFaults {
    unsigned drop = 0;         // answers not sent at all
    unsigned delay = 0;        // answers sent delayBy late
    unsigned wrongLength = 0;  // answers one data byte short (a Length 0 one gains a byte)
    unsigned wrongCommand = 0; // answers with another command byte
    unsigned garbage = 0;      // answers preceded by bytes that are no frame
    std::chrono::milliseconds delayBy{0};

    // The answer framed in the given protocol variant, changed by the faults still
    // pending, each of which then counts one answer less; nullopt for a dropped one.
    std::optional<BoardOutgoing> Shape(TZelkBasicMsg answer, int variant);

    // The faults still pending, e.g. "drop=0 delay=1/250ms wrong-length=0 ...".
    std::string Describe() const;
};

// What the garbage fault sends: false start marks of both variants among other bytes.
inline constexpr uint8_t kBoardGarbage[] = {0x00, 0xA5, 0x13, 0x7E, 0xFF, 0x5A, 0x42};
