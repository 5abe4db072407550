// The library's log file, written only after ociSetLog with a level above 0.
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

namespace orvexlink {

enum LogLevel : int32_t {
    kLogErrors = 1,   // failures
    kLogEvents = 2,   // connection events
    kLogRequests = 3, // every request: command, length, outcome
    kLogFrames = 4,   // every frame's bytes in hexadecimal
};

class LinkLog {
public:
    ~LinkLog();
    void Open(const std::string& fileName, int32_t level);
    bool Enabled(int32_t level) const;
    void Write(int32_t level, const std::string& text);
    void WriteBytes(int32_t level, const char* what, const uint8_t* data, std::size_t size);

private:
    mutable std::mutex mutex_;
    std::FILE* file_ = nullptr;
    int32_t level_ = 0;
};

} // namespace orvexlink
