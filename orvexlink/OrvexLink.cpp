// The 23 entry points of libOrvexLink.so. The library holds one connection.
#include "LinkLog.h"
#include "OrvexFraming.h"
#include "Transport.h"

#include <orvexlink.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#define OCI_EXPORT extern "C" __attribute__((visibility("default")))

namespace orvexlink {
namespace {

constexpr uint32_t kDefaultTxTimeoutMs = 1500;
// Pause between two attempts while waiting for a link to come up.
constexpr auto kReconnectPause = std::chrono::milliseconds(200);
// Notifications kept for ociCheckSynchronize: a caller that never collects them
// loses the oldest instead of letting the queue grow for as long as it polls.
constexpr std::size_t kMaxQueued = 256;

template <typename T> void Enqueue(std::deque<T>& queue, const T& item) {
    if (queue.size() == kMaxQueued)
        queue.pop_front();
    queue.push_back(item);
}

struct Notifications {
    TOciMethod rx{}, error{}, unsyncRx{}, unsyncError{};
};

// Error codes given to the error notifications.
enum : int32_t { kErrOpen = 1, kErrSend = 2, kErrTimeout = 3, kErrBroken = 4 };

class Connection {
public:
    bool Create(const TConnParams& params) {
        std::lock_guard lock(requestMutex_);
        params_ = params;
        transport_ = MakeTransport(params_, log_);
        suspended_ = false;
        valid_ = transport_ && UsableParams(params_);
        connected_ = false;
        log_.Write(kLogEvents, "connection created, kind " + std::to_string(params.Kind));
        return transport_ != nullptr;
    }

    void Delete() {
        // A wait for the link in another thread gives up at its next attempt
        // instead of holding the connection until its timeout.
        {
            std::lock_guard wake(wakeMutex_);
            deleting_ = true;
        }
        wakeUp_.notify_all();
        std::lock_guard lock(requestMutex_);
        if (transport_)
            log_.Write(kLogEvents, "connection deleted");
        transport_.reset();
        valid_ = false;
        connected_ = false;
        std::lock_guard wake(wakeMutex_);
        deleting_ = false;
    }

    // These three answer at once, also while another thread waits for the link.
    bool IsValid() const { return valid_; }
    bool IsConnected() const { return connected_; }
    bool IsBusy() const { return busy_; }

    bool WaitToConnect(uint32_t timeoutMs) {
        std::lock_guard lock(requestMutex_);
        const Deadline deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        const bool ok = transport_ && OpenUntil(deadline);
        connected_ = ok;
        return ok;
    }

    bool Request(TZelkBasicMsg* request, TZelkBasicMsg* answer) {
        if (!request || !answer)
            return false;
        std::lock_guard lock(requestMutex_);
        busy_ = true;
        const bool ok = Exchange(*request, *answer);
        connected_ = transport_ && transport_->IsOpen();
        busy_ = false;
        return ok;
    }

    bool Suspend() {
        std::lock_guard lock(requestMutex_);
        suspended_ = true;
        connected_ = false;
        if (transport_)
            transport_->Close();
        return transport_ != nullptr;
    }

    bool Resume() {
        std::lock_guard lock(requestMutex_);
        suspended_ = false;
        return transport_ != nullptr;
    }

    void SetProtocol(int32_t protocol) {
        protocol_ = protocol == kProtocolLegacy ? kProtocolLegacy : kProtocolCurrent;
    }
    void SetTxTimeout(uint32_t ms) { txTimeoutMs_ = ms; }
    uint32_t TxTimeout() const { return txTimeoutMs_; }
    LinkLog& Log() { return log_; }

    void SetNotification(TOciMethod Notifications::*slot, TOciMethod method) {
        std::lock_guard lock(notifyMutex_);
        notifications_.*slot = method;
    }
    TOciMethod Notification(TOciMethod Notifications::*slot) {
        std::lock_guard lock(notifyMutex_);
        return notifications_.*slot;
    }

    // Delivers the notifications queued for the caller's thread.
    void CheckSynchronize() {
        std::deque<TZelkBasicMsg> frames;
        std::deque<int32_t> errors;
        TOciMethod rx, error;
        {
            std::lock_guard lock(notifyMutex_);
            frames.swap(queuedFrames_);
            errors.swap(queuedErrors_);
            rx = notifications_.rx;
            error = notifications_.error;
        }
        if (rx.Code)
            for (const auto& frame : frames)
                reinterpret_cast<TOciRxProc>(rx.Code)(rx.Data, &frame);
        if (error.Code)
            for (int32_t code : errors)
                reinterpret_cast<TOciErrorProc>(error.Code)(error.Data, code);
    }

private:
    // Parameters a link can be opened with: a COM port for the serial kinds, a
    // host and a port for the network kinds.
    static bool UsableParams(const TConnParams& params) {
        switch (params.Kind) {
        case 1:
        case 2:
            return params.ComPort >= 1;
        default:
            return !FieldText(params.HostAddress, sizeof(params.HostAddress)).empty() &&
                   params.Port > 0 && params.Port < 65536;
        }
    }

    bool OpenUntil(Deadline deadline) {
        if (suspended_)
            return false;
        for (;;) {
            if (transport_->IsOpen() || transport_->Open(deadline))
                return true;
            log_.Write(kLogErrors, "open failed: " + transport_->LastError());
            if (Clock::now() + kReconnectPause >= deadline)
                return false;
            std::unique_lock wake(wakeMutex_);
            if (wakeUp_.wait_for(wake, kReconnectPause, [this] { return deleting_; }))
                return false;
        }
    }

    bool Exchange(const TZelkBasicMsg& request, TZelkBasicMsg& answer) {
        if (!transport_ || suspended_)
            return false;
        const Deadline deadline = Clock::now() + std::chrono::milliseconds(txTimeoutMs_.load());
        // A late answer to an earlier request must not pass for this one.
        transport_->Drain();
        // A broken link is re-opened here, within this request's time.
        if (!transport_->IsOpen() && !OpenUntil(deadline)) {
            Fail(kErrOpen, "link not open");
            return false;
        }

        const int protocol = protocol_;
        const std::vector<uint8_t> bytes = EncodeFrame(request, protocol);
        // The board answers in the variant it was asked in; a frame of the other
        // variant is noise here (a lone 7E and a one-byte sum arise easily from it).
        FrameDecoder decoder(protocol);
        log_.WriteBytes(kLogFrames, "tx", bytes.data(), bytes.size());
        if (!transport_->Send(bytes.data(), bytes.size(), deadline)) {
            Fail(kErrSend, transport_->LastError());
            transport_->Close();
            return false;
        }
        uint8_t buffer[512];
        for (;;) {
            const long n = transport_->Receive(buffer, sizeof(buffer), deadline);
            if (n < 0) {
                Fail(kErrBroken, transport_->LastError());
                transport_->Close();
                return false;
            }
            if (n == 0) {
                Fail(kErrTimeout, "no answer to '" + CommandText(request.Command) + "'");
                return false;
            }
            log_.WriteBytes(kLogFrames, "rx", buffer, static_cast<std::size_t>(n));
            decoder.Feed(buffer, static_cast<std::size_t>(n));
            TZelkBasicMsg frame;
            while (decoder.Next(frame)) {
                // On a broadcast hub other stations' frames pass by: only the
                // answer to our own command counts.
                if (params_.Kind == 4 && frame.Command != request.Command)
                    continue;
                answer = frame;
                // Built only when logged: this is every poll's path.
                if (log_.Enabled(kLogRequests))
                    log_.Write(kLogRequests, "request '" + CommandText(request.Command) + "' " +
                                                 std::to_string(request.Length) +
                                                 " bytes, answer '" + CommandText(frame.Command) +
                                                 "' " + std::to_string(frame.Length) + " bytes");
                NotifyRx(frame);
                return true;
            }
        }
    }

    static std::string CommandText(uint8_t command) {
        if (command >= 0x20 && command < 0x7F)
            return std::string(1, static_cast<char>(command));
        char hex[8];
        std::snprintf(hex, sizeof(hex), "0x%02X", command);
        return hex;
    }

    void Fail(int32_t code, const std::string& why) {
        log_.Write(kLogErrors, "request failed: " + why);
        TOciMethod unsync;
        {
            std::lock_guard lock(notifyMutex_);
            unsync = notifications_.unsyncError;
            if (notifications_.error.Code)
                Enqueue(queuedErrors_, code);
        }
        if (unsync.Code)
            reinterpret_cast<TOciErrorProc>(unsync.Code)(unsync.Data, code);
    }

    void NotifyRx(const TZelkBasicMsg& frame) {
        TOciMethod unsync;
        {
            std::lock_guard lock(notifyMutex_);
            unsync = notifications_.unsyncRx;
            if (notifications_.rx.Code)
                Enqueue(queuedFrames_, frame);
        }
        if (unsync.Code)
            reinterpret_cast<TOciRxProc>(unsync.Code)(unsync.Data, &frame);
    }

    std::recursive_mutex requestMutex_;
    TConnParams params_{};
    std::unique_ptr<Transport> transport_;
    bool suspended_ = false;
    std::atomic<bool> valid_{false};
    std::atomic<bool> connected_{false};
    std::atomic<bool> busy_{false};
    std::atomic<int> protocol_{kProtocolCurrent};
    std::atomic<uint32_t> txTimeoutMs_{kDefaultTxTimeoutMs};
    LinkLog log_;

    std::mutex wakeMutex_;
    std::condition_variable wakeUp_;
    bool deleting_ = false;

    std::mutex notifyMutex_;
    Notifications notifications_;
    std::deque<TZelkBasicMsg> queuedFrames_;
    std::deque<int32_t> queuedErrors_;
};

Connection& TheConnection() {
    static Connection connection;
    return connection;
}

} // namespace
} // namespace orvexlink

using orvexlink::Notifications;
using orvexlink::TheConnection;

OCI_EXPORT bool ociCreateNewConnection(const TConnParams* params) {
    return params && TheConnection().Create(*params);
}
OCI_EXPORT void ociDeleteConnection(void) {
    TheConnection().Delete();
}
OCI_EXPORT void ociSetProtocol(int32_t protocol) {
    TheConnection().SetProtocol(protocol);
}
OCI_EXPORT bool ociIsValid(void) {
    return TheConnection().IsValid();
}
OCI_EXPORT bool ociIsBusy(void) {
    return TheConnection().IsBusy();
}
OCI_EXPORT bool ociIsConnected(void) {
    return TheConnection().IsConnected();
}
OCI_EXPORT bool ociWaitToConnect(uint32_t timeoutMs) {
    return TheConnection().WaitToConnect(timeoutMs);
}
OCI_EXPORT bool ociConnectedRequest(TZelkBasicMsg* request, TZelkBasicMsg* answer) {
    return TheConnection().Request(request, answer);
}
// Every link of this library is connection-oriented as far as callers see it:
// datagram and plain requests are carried like connected ones.
OCI_EXPORT bool ociDatagramRequest(TZelkBasicMsg* request, TZelkBasicMsg* answer) {
    return TheConnection().Request(request, answer);
}
OCI_EXPORT bool ociRequest(TZelkBasicMsg* request, TZelkBasicMsg* answer) {
    return TheConnection().Request(request, answer);
}
OCI_EXPORT bool ociSuspendConnection(void) {
    return TheConnection().Suspend();
}
OCI_EXPORT bool ociResumeConnection(void) {
    return TheConnection().Resume();
}
OCI_EXPORT void ociSetNotifyError(TOciMethod method) {
    TheConnection().SetNotification(&Notifications::error, method);
}
OCI_EXPORT void ociSetNotifyRx(TOciMethod method) {
    TheConnection().SetNotification(&Notifications::rx, method);
}
OCI_EXPORT TOciMethod ociGetNotifyError(void) {
    return TheConnection().Notification(&Notifications::error);
}
OCI_EXPORT TOciMethod ociGetNotifyRx(void) {
    return TheConnection().Notification(&Notifications::rx);
}
OCI_EXPORT void ociSetTxTimeout(uint32_t timeoutMs) {
    TheConnection().SetTxTimeout(timeoutMs);
}
OCI_EXPORT uint32_t ociGetTxTimeout(void) {
    return TheConnection().TxTimeout();
}
OCI_EXPORT void ociSetLog(const char* fileName, int32_t level) {
    TheConnection().Log().Open(fileName ? fileName : "", level);
}
OCI_EXPORT void ociLog(int32_t level, const char* text) {
    if (text)
        TheConnection().Log().Write(level, text);
}
OCI_EXPORT void ociSetUnsyncNotifyError(TOciMethod method) {
    TheConnection().SetNotification(&Notifications::unsyncError, method);
}
OCI_EXPORT void ociSetUnsyncNotifyRx(TOciMethod method) {
    TheConnection().SetNotification(&Notifications::unsyncRx, method);
}
OCI_EXPORT void ociCheckSynchronize(void) {
    TheConnection().CheckSynchronize();
}
