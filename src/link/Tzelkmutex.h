// A re-entrant lock with timed waits: the thread that holds it may take it again.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>

class TZelkMutex {
public:
    TZelkMutex() = default;
    TZelkMutex(const TZelkMutex&) = delete;
    TZelkMutex& operator=(const TZelkMutex&) = delete;
    virtual ~TZelkMutex() = default;

    // Waits without limit.
    virtual void Acquire() { mutex_.lock(); }
    virtual void Release() { mutex_.unlock(); }
    // Waits up to the given time; true when the lock was obtained.
    virtual bool Lock(uint32_t milliseconds) {
        // Against the system clock, which waits through pthread_mutex_timedlock: the
        // monotonic variant is invisible to ThreadSanitizer, which then reports
        // every later release as a fault.
        return mutex_.try_lock_until(std::chrono::system_clock::now() +
                                     std::chrono::milliseconds(milliseconds));
    }
    virtual void Unlock() { Release(); }

private:
    std::recursive_timed_mutex mutex_;
};

// Holds a TZelkMutex for a scope.
class TZelkLock {
public:
    explicit TZelkLock(TZelkMutex& mutex) : mutex_(mutex) { mutex_.Acquire(); }
    // Takes over a lock the caller already holds, e.g. one won by a timed Lock.
    TZelkLock(TZelkMutex& mutex, std::adopt_lock_t) : mutex_(mutex) {}
    ~TZelkLock() { mutex_.Release(); }
    TZelkLock(const TZelkLock&) = delete;
    TZelkLock& operator=(const TZelkLock&) = delete;

private:
    TZelkMutex& mutex_;
};
