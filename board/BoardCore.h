// What the emulated board knows and answers, apart from any link: its
// configuration (committed and staged), its status, firmware version and 'N' value.
#pragma once

#include "link/Tpyloxdata.h"

#include <orvexlink.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>

class BoardCore {
public:
    // Starts from the state file when it holds a configuration, else from the defaults.
    explicit BoardCore(std::string stateFile);

    // The answer to one request; none for a request the board ignores.
    std::optional<TZelkBasicMsg> Answer(const TZelkBasicMsg& request);

    TPyloxConfig& Config() { return config_; }
    const std::optional<TPyloxConfig>& Staged() const { return staged_; }
    TPyloxStatus& Status() { return status_; }
    uint32_t Firmware() const { return firmware_; }
    void SetFirmware(uint32_t version) { firmware_ = version; }
    void SetNAnswer(uint8_t value) { nAnswer_ = value; }
    void SetRefuseLogin(bool refuse) { refuseLogin_ = refuse; }
    // Requests answered so far, by command character.
    const std::map<uint8_t, unsigned>& Counts() const { return counts_; }
    // Writes the committed configuration; false when the file could not be written.
    bool Save() const;

private:
    bool LoginAccepted(const TZelkBasicMsg& request) const;

    std::string stateFile_;
    TPyloxConfig config_{};
    std::optional<TPyloxConfig> staged_;
    TPyloxStatus status_{};
    uint32_t firmware_ = kFirmwareWithNQuery;
    uint8_t nAnswer_ = 14;
    bool refuseLogin_ = false;
    std::map<uint8_t, unsigned> counts_;
};

// Lower-case hexadecimal of bytes, and back; nullopt for text that is not hex of that size.
std::string ToHex(const uint8_t* data, std::size_t size);
bool FromHex(const std::string& text, uint8_t* data, std::size_t size);
