#include "LinkLog.h"

#include <chrono>
#include <ctime>

namespace orvexlink {

LinkLog::~LinkLog() {
    if (file_)
        std::fclose(file_);
}

void LinkLog::Open(const std::string& fileName, int32_t level) {
    std::lock_guard lock(mutex_);
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
    level_ = level;
    if (level > 0 && !fileName.empty())
        file_ = std::fopen(fileName.c_str(), "a");
}

bool LinkLog::Enabled(int32_t level) const {
    std::lock_guard lock(mutex_);
    return file_ && level <= level_;
}

void LinkLog::Write(int32_t level, const std::string& text) {
    std::lock_guard lock(mutex_);
    if (!file_ || level > level_)
        return;
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[32];
    std::strftime(stamp, sizeof(stamp), "%Y-%m-%d %H:%M:%S", &local);
    std::fprintf(file_, "%s.%03d %s\n", stamp, static_cast<int>(millis), text.c_str());
    std::fflush(file_);
}

void LinkLog::WriteBytes(int32_t level, const char* what, const uint8_t* data, std::size_t size) {
    if (!Enabled(level))
        return;
    std::string text = what;
    text += ':';
    char hex[4];
    for (std::size_t i = 0; i < size; ++i) {
        std::snprintf(hex, sizeof(hex), " %02X", data[i]);
        text += hex;
    }
    Write(level, text);
}

} // namespace orvexlink
