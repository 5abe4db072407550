#include "BoardCore.h"

#include "link/Tpyloxmsg.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <vector>

namespace {

TZelkBasicMsg Reply(uint8_t command, const uint8_t* data, std::size_t size) {
    TZelkBasicMsg answer{};
    answer.Command = command;
    answer.Length = static_cast<uint8_t>(size);
    if (size > 0)
        std::memcpy(answer.Data, data, size);
    return answer;
}

TZelkBasicMsg Reply(uint8_t command, uint8_t byte) {
    return Reply(command, &byte, 1);
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::string ToHex(const uint8_t* data, std::size_t size) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(size * 2);
    for (std::size_t i = 0; i < size; ++i) {
        text += kDigits[data[i] >> 4];
        text += kDigits[data[i] & 0x0F];
    }
    return text;
}

bool FromHex(const std::string& text, uint8_t* data, std::size_t size) {
    if (text.size() != size * 2)
        return false;
    std::vector<uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        const char* first = text.data() + 2 * i;
        const auto [end, error] = std::from_chars(first, first + 2, bytes[i], 16);
        if (error != std::errc() || end != first + 2)
            return false;
    }
    std::copy(bytes.begin(), bytes.end(), data);
    return true;
}

BoardCore::BoardCore(std::string stateFile) : stateFile_(std::move(stateFile)) {
    DefaultConfig(config_);
    std::memcpy(status_.BoardIdBytes, kBoardDefaultId, sizeof(kBoardDefaultId));
    if (stateFile_.empty())
        return;
    // A missing or damaged state file leaves the defaults; the next commit rewrites it.
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
    // Written aside, flushed and renamed, so that a crash leaves the old file or the new
    // one, never half of one.
    const std::string temporary = stateFile_ + ".tmp";
    const std::string text = "config " + ToHex(config_.Bytes(), kConfigSize) + "\n";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
    ::close(fd);
    if (!written || std::rename(temporary.c_str(), stateFile_.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The rename itself lasts only once the folder is on disk too.
    std::string folder = std::filesystem::path(stateFile_).parent_path().string();
    if (folder.empty())
        folder = ".";
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool BoardCore::LoginAccepted(const TZelkBasicMsg& request) const {
    if (refuseLogin_)
        return false;
    // The password runs to its terminator or to the end of the data in use.
    const auto* data = reinterpret_cast<const char*>(request.Data);
    const std::string given(data,
                            strnlen(data, std::min<std::size_t>(request.Length, OCI_MAX_DATA)));
    return given == config_.GetPassword();
}

TZelkBasicMsg BoardCore::Answer(const TZelkBasicMsg& request) {
    ++counts_[request.Command];
    switch (request.Command) {
    case kCmdLogin:
        return Reply(kCmdLogin, LoginAccepted(request) ? 1 : 0);
    case kCmdVersion: {
        const uint8_t word[4] = {
            static_cast<uint8_t>(firmware_), static_cast<uint8_t>(firmware_ >> 8),
            static_cast<uint8_t>(firmware_ >> 16), static_cast<uint8_t>(firmware_ >> 24)};
        return Reply(kCmdVersion, word, sizeof(word));
    }
    case kCmdNQuery:
        return Reply(kCmdNQuery, nAnswer_);
    case kCmdReadConfig:
        return Reply(kCmdReadConfig, config_.Bytes(), kConfigWireSize);
    case kCmdWriteConfig: {
        if (request.Length != kConfigWireSize)
            return Reply(kCmdWriteConfig, 0);
        // The tail byte never travels; the staged record keeps the committed one's.
        TPyloxConfig staged = config_;
        std::memcpy(staged.Bytes(), request.Data, kConfigWireSize);
        staged_ = staged;
        return Reply(kCmdWriteConfig, 1);
    }
    case kCmdCommit: {
        if (!staged_)
            return Reply(kCmdCommit, 0);
        config_ = *staged_;
        staged_.reset();
        return Reply(kCmdCommit, Save() ? 1 : 0);
    }
    case kCmdStatus:
        return Reply(kCmdStatus, status_.Bytes(), kStatusSize);
    default:
        return Reply(request.Command, nullptr, 0);
    }
}

void DemoStep(unsigned step, TPyloxStatus& status) {
    status.DigitalInputs = static_cast<uint8_t>((status.DigitalInputs & 0xF0) | (1u << (step % 4)));
    status.Outputs = static_cast<uint8_t>((status.Outputs & 0xFC) | (step / 2 % 4));
    status.PowerFlags =
        static_cast<uint8_t>((status.PowerFlags & 0xFE) | (step % 16 >= 14 ? 1 : 0));
    for (int n = 0; n < kBalancedCount; ++n) {
        // Each balanced input runs three steps behind the one before it.
        const unsigned phase = (step + static_cast<unsigned>(n) * 3) % 8;
        const uint8_t bits = phase < 3 ? static_cast<uint8_t>(1u << phase) : 0;
        status.Balanced[n] = static_cast<uint8_t>((status.Balanced[n] & 0xF8) | bits);
    }
}
