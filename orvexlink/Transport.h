// The byte carriers under the framing: one per connection kind.
#pragma once

#include <orvexlink.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace orvexlink {

using Clock = std::chrono::steady_clock;
using Deadline = Clock::time_point;

class LinkLog;

class Transport {
public:
    virtual ~Transport() = default;

    // Opens the link, giving up at the deadline.
    virtual bool Open(Deadline deadline) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual bool Send(const uint8_t* data, std::size_t size, Deadline deadline) = 0;
    // Bytes received; 0 when the deadline passed first, -1 when the link broke.
    virtual long Receive(uint8_t* buffer, std::size_t size, Deadline deadline) = 0;
    // Throws away whatever has arrived and not been asked for.
    virtual void Drain() = 0;
    // Why the last operation failed, for the log.
    const std::string& LastError() const { return lastError_; }

protected:
    std::string lastError_;
};

// Text fields of the parameter block, read within their declared size.
std::string FieldText(const char* field, std::size_t size);

// The carrier for params.Kind, or nullptr for a kind this library does not know.
std::unique_ptr<Transport> MakeTransport(const TConnParams& params, LinkLog& log);

} // namespace orvexlink
