// The settings that belong to the PC rather than to a board: the serial port and
// the three PC users with their passwords, kept under HKEY_CURRENT_USER
// "\SOFTWARE\Orvex\Config". Names and passwords are stored scrambled.
#pragma once

#include <array>
#include <cstdint>
#include <string>

class TRegistry;

struct TPcConfig {
    // Preset by the owner before loading (the start window presets 1).
    std::int32_t CommPort = 0;
    // Windows-1252 texts of users 1, 2 and 3.
    std::array<std::string, 3> UserNames;
    std::array<std::string, 3> Passwords;
};

// Seeds rand() with the current time, then fills the record; a credential that is
// missing or unreadable takes its default, a missing or unreadable "Comm Port"
// leaves CommPort as preset. When the key can be neither opened nor created the
// record stays as it was.
void LoadPcConfig(TPcConfig& config);
// Writes all eight values. A failure to write "Comm Port" or the program path ends
// the save with ERegistryException; a credential that cannot be written is skipped.
void SavePcConfig(const TPcConfig& config);

// One credential as a 20-byte scrambled blob: the text (cut to 19 bytes), a zero
// and fresh filler. A value that is missing, of another type, not exactly 20 bytes
// or without a zero in it reads as defaultText; a failed write is ignored.
std::string ReadCredential(TRegistry& reg, const std::string& name, const std::string& defaultText);
void WriteCredential(TRegistry& reg, const std::string& name, const std::string& text);
