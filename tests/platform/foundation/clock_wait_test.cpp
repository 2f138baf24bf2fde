#include "platform/foundation/clock_wait.h"

#include "platform/foundation/clock.h"

#include <gtest/gtest.h>

#include <thread>

TEST(ClockWaiter, ARaisedSignalWinsAndIsConsumed) {
    WakeSignal wake;
    wake.raise();
    EXPECT_EQ(platform_wait_until(platform_now() + 30, wake), WaitEnd::woken);
    EXPECT_FALSE(wake.consume());
    EXPECT_EQ(platform_wait_until(platform_now() - 1, wake), WaitEnd::deadline);
}

TEST(ClockWaiter, RealTimeWaitsReachShortDeadlines) {
    WakeSignal wake;
    double start = platform_now();
    EXPECT_EQ(platform_wait_until(start + 0.02, wake), WaitEnd::deadline);
    EXPECT_GE(platform_now(), start + 0.02);
}

TEST(ClockWaiter, AWakeFromAnotherThreadEndsAWaitWithoutLimit) {
    WakeSignal wake;
    std::thread waker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        wake.raise();
    });
    EXPECT_EQ(platform_wait_until(std::numeric_limits<double>::infinity(), wake), WaitEnd::woken);
    waker.join();
}

TEST(ClockWaiter, AnInstalledWaiterReplacesRealTime) {
    struct CountingWaiter : ClockWaiter {
        int calls = 0;
        WaitEnd wait_until(double, WakeSignal&) override {
            ++calls;
            return WaitEnd::stalled;
        }
    } counting;
    WakeSignal wake;
    ClockWaiter* previous = set_clock_waiter(&counting);
    EXPECT_EQ(platform_wait_until(platform_now() + 3600, wake), WaitEnd::stalled);
    EXPECT_EQ(set_clock_waiter(previous), &counting);
    EXPECT_EQ(counting.calls, 1);
}
