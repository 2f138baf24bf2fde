#include "platform/foundation/clock_wait.h"

#include "platform/foundation/clock.h"

#include <gtest/gtest.h>

#include <thread>

TEST(ClockWaiter, ARaisedSignalWinsAndIsConsumedAndAWakeFromAnotherThreadEndsAWaitWithoutLimit) {
    WakeSignal wake;
    wake.raise();
    EXPECT_EQ(platform_wait_until(platform_now() + 30, wake), WaitEnd::woken);
    EXPECT_FALSE(wake.consume());
    EXPECT_EQ(platform_wait_until(platform_now() - 1, wake), WaitEnd::deadline);
    std::thread waker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        wake.raise();
    });
    EXPECT_EQ(platform_wait_until(std::numeric_limits<double>::infinity(), wake), WaitEnd::woken);
    waker.join();
}
