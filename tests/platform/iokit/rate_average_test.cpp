#include "platform/iokit/rate_average.h"

#include <gtest/gtest.h>

namespace {

TEST(RateAverage, MovesTowardEachReadingByTheTimeSinceTheLastAndStartsAgainWhenItCannotTell) {
    constexpr double h = RateAverage::k_half_life;
    constexpr RateDirection down = RateDirection::Discharging, up = RateDirection::Charging,
                            unknown = RateDirection::Unknown;
    struct Step {
        double now;
        Figure rate;
        RateDirection direction;
        Figure average;
    };
    const Step steps[] = {
        {0, 1000, down, 1000},        // the first reading is the average
        {h, 3000, down, 2000},        // one half-life: half the way
        {h, 9000, down, 2000},        // no time gone: no weight
        {3 * h, 4000, down, 3500},    // two half-lives: three quarters of the way
        {3 * h + 10, 1000, up, 1000}, // plugged in: the charge turns
        {3 * h + 5, 3000, up, 3000},  // the clock went back
        {3 * h + 20, std::nullopt, up, std::nullopt},
        {4 * h + 20, 2000, up, 2000},  // after a reading without a rate
        {44 * h + 20, 1000, up, 1000}, // a long sleep: all the way
        {44 * h + 30, 1000, unknown, 1000},
        {45 * h + 30, 4000, unknown, 2500}, // neither way, averaged alike
        {46 * h + 30, 2001, unknown, 2251}, // 2250.5, rounded
    };
    RateAverage average;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.now);
        EXPECT_EQ(average.add(step.now, step.rate, step.direction), step.average);
    }
}

} // namespace
