// A thread object in the manner of the tool's windows: created suspended, started
// with Resume, asked to stop with Terminate, joined with WaitFor. Header-only, so
// that the connection layer uses it without the window platform.
#pragma once

#include <atomic>
#include <cerrno>
#include <chrono>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

class TThread {
public:
    TThread() = default;
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;
    // A derived class terminates and waits for its thread in its own destructor,
    // before the members Execute uses are gone.
    virtual ~TThread() {
        if (thread_.joinable())
            thread_.join();
    }

    // Starts the thread; later calls do nothing.
    void Resume() {
        if (!thread_.joinable() && !started_.exchange(true))
            thread_ = std::thread([this] { Execute(); });
    }
    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }
    // Returns when the thread has ended (at once when it never started).
    void WaitFor() {
        if (thread_.joinable())
            thread_.join();
    }

    static void Sleep(unsigned milliseconds) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }

protected:
    virtual void Execute() = 0;

    // One step above normal: a nice value one below the thread's current one.
    // Without the right to raise it (CAP_SYS_NICE) the call fails and is ignored.
    static void RaisePriority() {
        const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
        errno = 0;
        const int nice = ::getpriority(PRIO_PROCESS, tid);
        if (errno == 0)
            (void)::setpriority(PRIO_PROCESS, tid, nice - 1);
    }

private:
    std::thread thread_;
    std::atomic<bool> started_{false};
    std::atomic<bool> terminated_{false};
};
