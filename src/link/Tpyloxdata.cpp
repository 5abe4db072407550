#include "link/Tpyloxdata.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char kDefaultTelephone[] = "0432987654";
constexpr char kDefaultPassword[] = "480917";
static_assert(sizeof(kDefaultTelephone) == 11, "ten digits and the terminator");

} // namespace

std::string TPyloxConfig::GetPassword() const {
    const auto* begin = reinterpret_cast<const char*>(Password);
    return std::string(begin, strnlen(begin, sizeof(Password)));
}

void TPyloxConfig::SetPassword(const std::string& password) {
    std::memset(Password, 0, sizeof(Password));
    std::memcpy(Password, password.data(), std::min(password.size(), kPasswordChars));
}

TBoardId TPyloxStatus::BoardId() const {
    const uint8_t* b = BoardIdBytes;
    TBoardId id;
    id.Id32 = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
              static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
    id.Id16 = static_cast<uint16_t>(b[4] | b[5] << 8);
    id.Id8 = b[6];
    return id;
}

void DefaultConfig(TPyloxConfig& config) {
    std::memset(&config, 0, sizeof(config));
    std::memcpy(config.Telephone, kDefaultTelephone, sizeof(kDefaultTelephone));
    std::memcpy(config.Password, kDefaultPassword, sizeof(kDefaultPassword));
}

bool ParseVersion(const TZelkBasicMsg& answer, uint32_t& version) {
    if (answer.Command != 0x22 || answer.Length != 4)
        return false;
    const uint8_t* d = answer.Data;
    version = static_cast<uint32_t>(d[0]) | static_cast<uint32_t>(d[1]) << 8 |
              static_cast<uint32_t>(d[2]) << 16 | static_cast<uint32_t>(d[3]) << 24;
    return true;
}

bool ParseConfig(const TZelkBasicMsg& answer, TPyloxConfig& config) {
    if (answer.Command != 'S' || answer.Length != kConfigWireSize)
        return false;
    TPyloxConfig fresh;
    DefaultConfig(fresh);
    std::memcpy(fresh.Bytes(), answer.Data, kConfigWireSize);
    config = fresh;
    return true;
}

bool ParseStatus(const TZelkBasicMsg& answer, TPyloxStatus& status) {
    if (answer.Command != '@' || answer.Length != kStatusSize)
        return false;
    std::memcpy(status.Bytes(), answer.Data, kStatusSize);
    return true;
}
