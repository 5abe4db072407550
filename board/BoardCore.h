// What the emulated board knows and answers, apart from any link: its
// configuration (committed and staged), its status, firmware version and 'N' value.
#pragma once

#include "link/Tpyloxdata.h"

#include <orvexlink.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>

// The firmware a board reports unless told otherwise: 1.0.1.8.
inline constexpr uint32_t kBoardDefaultFirmware = 0x01000108;
// The identity a fresh board reports (12.345.678.9AB.CDE).
inline constexpr uint8_t kBoardDefaultId[7] = {0xDE, 0xBC, 0x9A, 0x78, 0x56, 0x34, 0x12};

class BoardCore {
public:
    // Starts from the state file when it holds a configuration, else from the defaults.
    // An empty name keeps no state.
    explicit BoardCore(std::string stateFile);

    // The answer to one request. Every request is answered; a command the board does
    // not know is answered with the same command and no data.
    TZelkBasicMsg Answer(const TZelkBasicMsg& request);

    const TPyloxConfig& Config() const { return config_; }
    const std::optional<TPyloxConfig>& Staged() const { return staged_; }
    TPyloxStatus& Status() { return status_; }
    uint32_t Firmware() const { return firmware_; }
    void SetFirmware(uint32_t version) { firmware_ = version; }
    void SetNAnswer(uint8_t value) { nAnswer_ = value; }
    void SetRefuseLogin(bool refuse) { refuseLogin_ = refuse; }
    // Requests received so far, by command byte.
    const std::map<uint8_t, unsigned>& Counts() const { return counts_; }

private:
    bool LoginAccepted(const TZelkBasicMsg& request) const;
    // Writes the committed configuration; false when the file could not be written.
    bool Save() const;

    std::string stateFile_;
    TPyloxConfig config_{};
    std::optional<TPyloxConfig> staged_;
    TPyloxStatus status_{};
    uint32_t firmware_ = kBoardDefaultFirmware;
    uint8_t nAnswer_ = 14;
    bool refuseLogin_ = false;
    std::map<uint8_t, unsigned> counts_;
};

// The demo scenario, one step at a time: the digital inputs walk, the outputs count,
// each balanced input cycles through tamper, alarm and cable cut, and the battery is
// low for two steps out of sixteen. Bits the scenario does not drive are kept.
void DemoStep(unsigned step, TPyloxStatus& status);

// Lower-case hexadecimal of bytes, and back; false for text that is not hex of that size
// (the output is then untouched).
std::string ToHex(const uint8_t* data, std::size_t size);
bool FromHex(const std::string& text, uint8_t* data, std::size_t size);
