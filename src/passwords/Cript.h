// Byte-wise scrambling of the stored credential blobs, and the pseudo-random filler
// written after each text. Every byte is transformed on its own: a fixed
// substitution followed by a fixed mask, so the same byte always gives the same
// result wherever it stands.
#pragma once

#include <cstdint>

// P[b] ^ M
std::uint8_t ScrambleByte(std::uint8_t b);
// Q[c ^ M], the inverse of ScrambleByte.
std::uint8_t UnscrambleByte(std::uint8_t c);

// Transform bytes 0 to length-1 in place; a length of zero or less changes nothing.
// Both always report success.
bool ScrambleBuffer(std::uint8_t* buffer, std::int32_t length);
bool UnscrambleBuffer(std::uint8_t* buffer, std::int32_t length);

// Sets bytes 0 to length-1 to the low 8 bits of successive values of the C library's
// rand(), which LoadPcConfig seeds with the current time.
void FillRandomBytes(std::uint8_t* buffer, std::int32_t length);
