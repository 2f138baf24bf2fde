#include "history/health_trend.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr std::int64_t k_first_day = 20000; // 2024-10-04

// `count` days from the first, every `step` days, the full capacity falling by `fall` mAh a day
// from the design's 5000.
std::vector<HealthDay> declining(std::int64_t count, std::int64_t step, double fall) {
    std::vector<HealthDay> days;
    for (std::int64_t i = 0; i < count; ++i)
        days.push_back({"S1", k_first_day + i * step,
                        5000 - static_cast<std::int64_t>(fall * static_cast<double>(i * step)),
                        5000, std::nullopt});
    return days;
}

// A linear decline of 2 mAh of 5000 a day over 300 days: 0.04 points a day, 7.3 in half a
// year; 88.04 % on the last day; 80 % on day 500, 2026-02-16.
TEST(HealthTrend, ProjectsAHandWorkedLinearDecline) {
    const std::vector<HealthDay> days = declining(300, 1, 2);
    const std::optional<HealthTrend> trend = health_trend(days);
    ASSERT_TRUE(trend);
    EXPECT_NEAR(trend->slope_per_day, -0.04, 1e-9);
    EXPECT_NEAR(trend->at(k_first_day), 100, 1e-6);
    EXPECT_EQ(trend->day_worn(), k_first_day + 500);
    EXPECT_EQ(trend->verdict(), "Health 88 %: \u22127.3 % in 6 months; 80 % around February 2026");
}

TEST(HealthTrend, SaysWhatItCanOfFewDaysSteadyOrWornBatteries) {
    struct Case {
        std::vector<HealthDay> days;
        const char* verdict;
    };
    std::vector<HealthDay> steady = declining(40, 1, 0);
    std::vector<HealthDay> worn = declining(40, 10, 3); // 76.6 % on the last day
    std::vector<HealthDay> rising = declining(40, 1, -1);
    std::vector<HealthDay> unmeasured = declining(30, 1, 0);
    unmeasured[29].design_mah = 0; // left out: 29 days
    const Case cases[] = {
        {declining(29, 1, 2), "Health 99 %: too few days for a trend (29 of 30)"},
        {unmeasured, "Health 100 %: too few days for a trend (29 of 30)"},
        {steady, "Health 100 %: 0.0 % in 6 months; not falling"},
        {rising, "Health 101 %: +3.7 % in 6 months; not falling"},
        {worn, "Health 77 %: \u221211.0 % in 6 months; below 80 % already"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.verdict);
        const std::optional<HealthTrend> trend = health_trend(c.days);
        ASSERT_TRUE(trend);
        EXPECT_EQ(trend->verdict(), c.verdict);
    }
    EXPECT_FALSE(health_trend({}));
    const HealthDay no_design{"S1", k_first_day, 4000, 0, std::nullopt};
    EXPECT_FALSE(health_trend(std::span(&no_design, 1)));
}

TEST(HealthTrend, FindsNoWornDayForALineThatBarelyFalls) {
    HealthTrend trend{.health = 90, .days = 100, .slope_per_day = -1e-9, .intercept = 90};
    EXPECT_EQ(trend.day_worn(), std::nullopt);
    trend.slope_per_day = -0.01;
    EXPECT_EQ(trend.day_worn(), 1000);
}

} // namespace
