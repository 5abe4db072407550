#include "BoardCore.h"

#include "link/Tpyloxmsg.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

// The identity a fresh board reports.
constexpr uint8_t kDefaultBoardId[7] = {0xDE, 0xBC, 0x9A, 0x78, 0x56, 0x34, 0x12};

TZelkBasicMsg Reply(uint8_t command, std::initializer_list<uint8_t> data) {
    TZelkBasicMsg answer{};
    answer.Command = command;
    answer.Length = static_cast<uint8_t>(data.size());
    std::copy(data.begin(), data.end(), answer.Data);
    return answer;
}

} // namespace

std::string ToHex(const uint8_t* data, std::size_t size) {
    std::string text;
    char pair[3];
    for (std::size_t i = 0; i < size; ++i) {
        std::snprintf(pair, sizeof(pair), "%02x", data[i]);
        text += pair;
    }
    return text;
}

bool FromHex(const std::string& text, uint8_t* data, std::size_t size) {
    if (text.size() != size * 2)
        return false;
    for (std::size_t i = 0; i < size; ++i) {
        unsigned value = 0;
        if (std::sscanf(text.c_str() + 2 * i, "%2x", &value) != 1 ||
            !std::isxdigit(static_cast<unsigned char>(text[2 * i])) ||
            !std::isxdigit(static_cast<unsigned char>(text[2 * i + 1])))
            return false;
        data[i] = static_cast<uint8_t>(value);
    }
    return true;
}

BoardCore::BoardCore(std::string stateFile) : stateFile_(std::move(stateFile)) {
    DefaultConfig(config_);
    std::memcpy(status_.BoardIdBytes, kDefaultBoardId, sizeof(kDefaultBoardId));
    if (stateFile_.empty())
        return;
    std::ifstream in(stateFile_);
    std::string key, hex;
    while (in >> key >> hex) {
        TPyloxConfig loaded;
        if (key == "config" && FromHex(hex, loaded.Bytes(), kConfigSize))
            config_ = loaded;
    }
}

bool BoardCore::Save() const {
    if (stateFile_.empty())
        return true;
    // Written aside and renamed, so that a crash never leaves half a state file.
    const std::string temporary = stateFile_ + ".tmp";
    const std::string text = "config " + ToHex(config_.Bytes(), kConfigSize) + "\n";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool written =
        ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
        ::fsync(fd) == 0;
    ::close(fd);
    if (!written || std::rename(temporary.c_str(), stateFile_.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool BoardCore::LoginAccepted(const TZelkBasicMsg& request) const {
    if (refuseLogin_)
        return false;
    const auto* data = reinterpret_cast<const char*>(request.Data);
    const std::string given(data,
                            strnlen(data, std::min<std::size_t>(request.Length, OCI_MAX_DATA)));
    return given == config_.GetPassword();
}

std::optional<TZelkBasicMsg> BoardCore::Answer(const TZelkBasicMsg& request) {
    ++counts_[request.Command];
    switch (request.Command) {
    case kCmdLogin:
        return Reply(kCmdLogin, {static_cast<uint8_t>(LoginAccepted(request) ? 1 : 0)});
    case kCmdVersion:
        return Reply(kCmdVersion,
                     {static_cast<uint8_t>(firmware_), static_cast<uint8_t>(firmware_ >> 8),
                      static_cast<uint8_t>(firmware_ >> 16),
                      static_cast<uint8_t>(firmware_ >> 24)});
    case kCmdNQuery:
        return Reply(kCmdNQuery, {nAnswer_});
    case kCmdReadConfig: {
        TZelkBasicMsg answer = Reply(kCmdReadConfig, {});
        answer.Length = kConfigWireSize;
        std::memcpy(answer.Data, config_.Bytes(), kConfigWireSize);
        return answer;
    }
    case kCmdWriteConfig: {
        if (request.Length != kConfigWireSize)
            return Reply(kCmdWriteConfig, {0});
        TPyloxConfig staged = config_;
        std::memcpy(staged.Bytes(), request.Data, kConfigWireSize);
        staged_ = staged;
        return Reply(kCmdWriteConfig, {1});
    }
    case kCmdCommit: {
        if (!staged_)
            return Reply(kCmdCommit, {0});
        config_ = *staged_;
        staged_.reset();
        return Reply(kCmdCommit, {static_cast<uint8_t>(Save() ? 1 : 0)});
    }
    case kCmdStatus: {
        TZelkBasicMsg answer = Reply(kCmdStatus, {});
        answer.Length = kStatusSize;
        std::memcpy(answer.Data, status_.Bytes(), kStatusSize);
        return answer;
    }
    default:
        return Reply(request.Command, {});
    }
}
