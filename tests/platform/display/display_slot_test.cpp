#include "platform/display/display_slot.h"

#include "platform/foundation/clock.h"
#include "tests/support/driver_session.h"

#include <gtest/gtest.h>

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
