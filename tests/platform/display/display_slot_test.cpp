#include "platform/display/display_slot.h"

#include "platform/foundation/clock.h"
#include "tests/support/driver_session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

namespace {

double real_seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

TEST(DisplaySlot, InstallsTheDisplayForTheScopeAndRestoresTheOneBefore) {
    EXPECT_EQ(current_display(), nullptr);
    {
        DriverSession outer("");
        EXPECT_EQ(current_display(), &outer.display);
        {
            DriverSession inner("");
            EXPECT_EQ(current_display(), &inner.display);
        }
        EXPECT_EQ(current_display(), &outer.display);
    }
    EXPECT_EQ(current_display(), nullptr);
}

TEST(DisplaySlot, PlatformTimeFollowsTheDisplaysClockWithoutRealWaiting) {
    clean_application();
    DriverSession session("advance 3600000\n");
    double start = platform_now();
    auto real_start = std::chrono::steady_clock::now();

    RunLoopEnd end = NSRunLoop::main()->run_until(start + 1800, NSDefaultRunLoopMode);

    EXPECT_EQ(end, RunLoopEnd::deadline);
    EXPECT_EQ(session.display.now_ms(), 1800000);
    EXPECT_NEAR(platform_now() - start, 1800.0, 1e-6);
    EXPECT_LT(real_seconds_since(real_start), 5.0);
}

TEST(DisplaySlot, EndOfInputEndsAWaitAsStalled) {
    DriverSession session("advance 10\n");
    RunLoopEnd end = NSRunLoop::main()->run_until(k_no_deadline, NSDefaultRunLoopMode);
    EXPECT_EQ(end, RunLoopEnd::stalled);
    EXPECT_TRUE(session.wrote(end_line(10)));
}

// Platform times close above a whole millisecond are that millisecond: 10 s after the start is
// not exact in floating point, and must not wait until 10.001 s.
TEST(DisplaySlot, DeadlinesRoundUpToWholeMilliseconds) {
    struct Row {
        double seconds_after_start;
        int64_t expected_ms;
    };
    const Row rows[] = {{0, 0}, {10, 10000}, {0.0101, 11}, {0.0009, 1}, {3600, 3600000}};
    EXPECT_EQ(display_deadline(platform_now() + 1), std::nullopt);
    DriverSession session("");
    double start = platform_now();
    for (const Row& row : rows) {
        EXPECT_EQ(display_deadline(start + row.seconds_after_start), row.expected_ms)
            << row.seconds_after_start << " s";
    }
    EXPECT_EQ(display_deadline(k_no_deadline), std::nullopt);
}
