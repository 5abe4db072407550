#include "link/Tzelkmutex.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

TEST(ZelkMutex, IsReentrantForItsHolderAndTimesOutForOthers) {
    TZelkMutex mutex;
    mutex.Acquire();
    EXPECT_TRUE(mutex.Lock(0)); // the holder takes it again
    bool other = true;
    std::thread([&] { other = mutex.Lock(50); }).join();
    EXPECT_FALSE(other);
    mutex.Unlock();
    mutex.Release();
    std::thread([&] {
        other = mutex.Lock(50);
        if (other)
            mutex.Release();
    }).join();
    EXPECT_TRUE(other);
}

} // namespace
