// The board records: configuration, status, board identity and firmware version.
// Every byte the tool does not interpret is carried unchanged; multi-byte numbers
// are little-endian on the wire and are read byte by byte.
#pragma once

#include <orvexlink.h>

#include <cstddef>
#include <cstdint>
#include <string>

// Firmware from this version on answers the 'N' query, made before the configuration is read.
inline constexpr uint32_t kFirmwareWithNQuery = 0x01000108;
// Firmware from this version on knows the atmospheric input types 4 and 5.
inline constexpr uint32_t kFirmwareWithAtmTypes = 0x01000106;

inline constexpr std::size_t kConfigWireSize = 73; // bytes of the configuration in a frame
inline constexpr std::size_t kConfigSize = 74;     // in memory and in files: plus the tail byte
inline constexpr std::size_t kStatusSize = 71;
inline constexpr int kInputCount = 4;
inline constexpr int kBalancedCount = 4;
inline constexpr std::size_t kPasswordChars = 6;

// Signal types of a digital input.
enum TSignalType : uint8_t {
    stIO = 0,
    stAllarme = 1,
    stTamper = 2,
    stGuasto = 3,
    stAtmPioggia = 4,
    stAtmVento = 5,
};

// The entry of one digital input.
struct TInputConfig {
    uint8_t Type;
    uint8_t Level;
    uint8_t Flags; // bit 0: polarity, 1 = NC; bits 1-7 are the board's

    bool IsNC() const { return (Flags & 0x01) != 0; }
    // Writes bit 0 only.
    void SetNC(bool nc) { Flags = static_cast<uint8_t>((Flags & ~0x01) | (nc ? 0x01 : 0x00)); }

    bool operator==(const TInputConfig&) const = default;
};

struct TPyloxConfig {
    uint8_t Telephone[28]; // a zero-terminated number, then bytes the board keeps
    TInputConfig Inputs[kInputCount];
    uint8_t Reserved40[4];
    uint8_t Password[7]; // up to 6 characters, zero-padded; byte 50 always 0
    uint8_t Reserved51[22];
    uint8_t Tail; // memory and files only, never on the wire

    uint8_t* Bytes() { return reinterpret_cast<uint8_t*>(this); }
    const uint8_t* Bytes() const { return reinterpret_cast<const uint8_t*>(this); }

    // The zero-terminated text at byte 44.
    std::string GetPassword() const;
    // At most six characters into bytes 44-49, the rest of them zero, byte 50 zero.
    void SetPassword(const std::string& password);

    bool operator==(const TPyloxConfig&) const = default;
};

static_assert(sizeof(TInputConfig) == 3);
static_assert(sizeof(TPyloxConfig) == kConfigSize);
static_assert(offsetof(TPyloxConfig, Inputs) == 28);
static_assert(offsetof(TPyloxConfig, Reserved40) == 40);
static_assert(offsetof(TPyloxConfig, Password) == 44);
static_assert(offsetof(TPyloxConfig, Reserved51) == 51);
static_assert(offsetof(TPyloxConfig, Tail) == kConfigWireSize);

// The board identity, decoded from the status record.
struct TBoardId {
    uint32_t Id32;
    uint16_t Id16;
    uint8_t Id8;
};

struct TPyloxStatus {
    uint8_t DigitalInputs; // bits 0-3: inputs 1-4
    uint8_t PowerFlags;    // bit 0: low battery
    uint8_t Outputs;       // bits 0-1: outputs 1-2
    uint8_t Reserved3[9];
    uint8_t Balanced[kBalancedCount]; // bit 0 tamper, bit 1 alarm, bit 2 cable cut
    uint8_t Reserved16[48];
    uint8_t BoardIdBytes[7]; // Id32, Id16, Id8, little-endian

    uint8_t* Bytes() { return reinterpret_cast<uint8_t*>(this); }
    const uint8_t* Bytes() const { return reinterpret_cast<const uint8_t*>(this); }

    // Inputs and outputs are numbered from 1.
    bool DigitalInput(int n) const { return Bit(DigitalInputs, n - 1); }
    bool LowBattery() const { return Bit(PowerFlags, 0); }
    bool Output(int n) const { return Bit(Outputs, n - 1); }
    bool BalancedTamper(int n) const { return Bit(Balanced[n - 1], 0); }
    bool BalancedAlarm(int n) const { return Bit(Balanced[n - 1], 1); }
    bool BalancedCableCut(int n) const { return Bit(Balanced[n - 1], 2); }
    TBoardId BoardId() const;

    bool operator==(const TPyloxStatus&) const = default;

private:
    static bool Bit(uint8_t byte, int bit) { return ((byte >> bit) & 0x01) != 0; }
};

static_assert(sizeof(TPyloxStatus) == kStatusSize);
static_assert(offsetof(TPyloxStatus, Balanced) == 12);
static_assert(offsetof(TPyloxStatus, BoardIdBytes) == 64);

// Zeros, the default telephone number in bytes 0-10 and the password "480917".
void DefaultConfig(TPyloxConfig& config);

// Answer checkers: false, and the output untouched, when the command or the
// length does not match.
bool ParseVersion(const TZelkBasicMsg& answer, uint32_t& version);
// A fresh default record with the 73 answer bytes over its first 73 bytes.
bool ParseConfig(const TZelkBasicMsg& answer, TPyloxConfig& config);
bool ParseStatus(const TZelkBasicMsg& answer, TPyloxStatus& status);
