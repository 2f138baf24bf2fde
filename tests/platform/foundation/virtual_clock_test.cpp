#include "platform/foundation/virtual_clock.h"

#include <gtest/gtest.h>

TEST(VirtualClock, MovesOnlyWhileWaitingAndWithinItsAllowance) {
    // Each row continues from the one before.
    const struct {
        double advance, deadline;
        WaitEnd end;
        double now_after;
    } rows[] = {
        {0, 5, WaitEnd::stalled, 0},    {10, 5, WaitEnd::deadline, 5},
        {0, 20, WaitEnd::stalled, 10},  {0, 3, WaitEnd::deadline, 10}, // never backwards
        {-4, 11, WaitEnd::stalled, 10}, {0.001, 10.001, WaitEnd::deadline, 10.001},
    };
    VirtualClock clock;
    WakeSignal wake;
    for (const auto& row : rows) {
        clock.advance(row.advance);
        EXPECT_EQ(clock.wait_until(row.deadline, wake), row.end) << "deadline " << row.deadline;
        EXPECT_EQ(clock.now(), row.now_after) << "deadline " << row.deadline;
    }
    VirtualClock hour(1000);
    for (int i = 0; i < 3'600'000; i += 250)
        hour.advance(0.25);
    EXPECT_EQ(hour.horizon(), 1000.0 + 3600.0) << "many small advances add up exactly";
}

