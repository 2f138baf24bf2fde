#include "app/history_charts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <tuple>
#include <vector>

namespace {

constexpr std::int64_t k_day = 86400;
constexpr std::int64_t k_now = 1796688000; // 2026-12-08T00:00:00Z
constexpr std::int64_t k_today = k_now / k_day;
using Runs = std::vector<std::vector<std::int64_t>>; // seconds before now

Reading at(std::int64_t ago, int percent, ChargeState state = ChargeState::Discharging) {
    Reading reading;
    reading.time = k_now - ago;
    reading.percent = percent;
    reading.state = state;
    return reading;
}

Runs runs_of(const Chart& chart) {
    Runs runs;
    for (const auto& run : chart.runs) {
        runs.emplace_back();
        for (const ChartPoint& point : run)
            runs.back().push_back(k_now - point.time);
    }
    return runs;
}

class HistoryChartsTest : public testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "UTC0", 1);
        tzset();
    }
    void TearDown() override {
        unsetenv("TZ");
        tzset();
    }
};

TEST_F(HistoryChartsTest, JoinsReadingsUpToTenMinutesApartAndLeavesLongerSpansAsGaps) {
    const auto check = [](const char* name, const std::vector<Reading>& readings,
                          const Runs& day_runs, const Runs& ten_day_runs) {
        const HistoryCharts charts = make_history_charts(readings, {}, k_now);
        EXPECT_EQ(runs_of(charts.last_day), day_runs) << name;
        EXPECT_EQ(runs_of(charts.last_ten_days), ten_day_runs) << name;
    };
    check("ten minutes apart are joined", {at(1200, 50), at(600, 49), at(0, 48)}, {{1200, 600, 0}},
          {{1200, 600, 0}});
    check("a second more is a gap", {at(1201, 50), at(600, 49)}, {{1201}, {600}}, {{1201}, {600}});
    check("a week asleep",
          {at(9 * k_day, 80), at(9 * k_day - 60, 79), at(2 * k_day, 60), at(2 * k_day - 60, 59)},
          {}, {{9 * k_day, 9 * k_day - 60}, {2 * k_day, 2 * k_day - 60}});
    check("older than the axis is left out", {at(11 * k_day, 90), at(k_day + 60, 70), at(30, 20)},
          {{30}}, {{k_day + 60}, {30}});
    // A clock set back leaves a later time written before an earlier one.
    check("read back in any order", {at(60, 40), at(180, 42), at(120, 41)}, {{180, 120, 60}},
          {{180, 120, 60}});
}

TEST_F(HistoryChartsTest, ChargeAxesEndNowAndCarryTheirTitlesAndPercent) {
    const HistoryCharts charts = make_history_charts(std::vector{at(300, 57)}, {}, k_now);
    const Chart &day = charts.last_day, &ten = charts.last_ten_days;
    EXPECT_EQ(std::tuple(day.title, day.from, day.to, ten.title, ten.from, ten.to),
              std::tuple("Last 24 Hours", k_now - k_day, k_now, "Last 10 Days", k_now - 10 * k_day,
                         k_now));
    ASSERT_EQ(day.runs.size(), 1u);
    EXPECT_EQ(day.runs[0][0].value, 57);
    // Both ends are local midnights, so both are marked.
    EXPECT_EQ(std::tuple(day.ticks.size(), ten.ticks.size(), ten.ticks.back().label),
              std::tuple(5u, 11u, "Tue 8"));
}

TEST_F(HistoryChartsTest, MarksEachChargingStretchUpToTheReadingAfterIt) {
    const std::vector<Reading> readings = {
        at(3000, 40), at(2940, 41, ChargeState::Charging), at(2880, 45, ChargeState::Charging),
        at(2820, 48, ChargeState::Full), at(2000, 50, ChargeState::Charging),
        // asleep while charging: the mark stops where the readings stop
        at(1000, 90, ChargeState::Charging), at(940, 91)};
    EXPECT_EQ(make_history_charts(readings, {}, k_now).last_day.marked,
              (std::vector<ChartSpan>{{k_now - 2940, k_now - 2820}, {k_now - 1000, k_now - 940}}));
}

HealthDay day(const char* battery, std::int64_t days_ago, std::int64_t full) {
    return {battery, k_today - days_ago, full, 5000, 100};
}

// 2 mAh of 5000 lost a day: 0.04 points a day.
std::vector<HealthDay> declining(const char* battery, std::int64_t first_ago, int count) {
    std::vector<HealthDay> days;
    for (int i = 0; i < count; ++i)
        days.push_back(day(battery, first_ago - i, 4800 - 2 * i));
    return days;
}

TEST_F(HistoryChartsTest, HealthDrawsEachBatteryAndTheTrendOfTheOneReadLast) {
    std::vector<HealthDay> health = declining("OLD", 400, 100);
    const std::vector<HealthDay> current = declining("NEW", 99, 100);
    health.insert(health.end(), current.begin(), current.end());
    const Chart chart = make_history_charts({}, health, k_now).health;
    ASSERT_EQ(chart.runs.size(), 2u);
    EXPECT_EQ(chart.runs[0].size() + chart.runs[1].size(), 200u);
    // NEW: 96 % on its first day, 92.04 % on its last; 80 % 301 days later, within the three
    // years the trend is drawn ahead.
    ASSERT_EQ(chart.trend.size(), 2u);
    EXPECT_EQ(std::tuple(chart.trend[0].time, chart.trend[1].time, chart.from, chart.to),
              std::tuple((k_today - 99) * k_day, (k_today + 301) * k_day, (k_today - 400) * k_day,
                         (k_today + 301) * k_day));
    EXPECT_NEAR(chart.trend[0].value, 96, 1e-6);
    EXPECT_NEAR(chart.trend[1].value, 80, 0.04);
    EXPECT_EQ(chart.caption, "Health 92 %: \u22127.3 % in 6 months; 80 % around October 2027");
    EXPECT_FALSE(chart.ticks.empty());
    EXPECT_LE(chart.ticks.size(), 7u);
}

TEST_F(HistoryChartsTest, HealthSaysWhyThereIsNoTrend) {
    const auto check = [](const char* name, const std::vector<HealthDay>& health,
                          const std::string& caption, bool trend) {
        const Chart chart = make_history_charts({}, health, k_now).health;
        EXPECT_EQ(chart.caption.rfind(caption, 0), 0u) << name << ": " << chart.caption;
        EXPECT_EQ(chart.trend.empty(), !trend) << name;
        if (trend) {
            EXPECT_EQ(chart.trend[1].time, k_today * k_day) << name;
        }
        EXPECT_LT(chart.from, chart.to) << name;
    };
    check("nothing recorded", {}, "No health recorded yet", false);
    check("no design capacity", {{"S", k_today, 4000, 0, {}}}, "No health recorded yet", false);
    check("too few days", declining("S", 11, 12),
          "Health 96 %: too few days for a trend (12 of 30)", false);
    // 0.0001 points a day: 80 % is centuries away, so the trend ends at the last day.
    std::vector<HealthDay> flat;
    for (int i = 0; i < 40; ++i)
        flat.push_back({"S", k_today - 39 + i, 4500 - (i % 2), 5000, {}});
    check("hardly falling", flat, "Health 90 %: 0.0 % in 6 months; 80 % around ", true);
}

TEST_F(HistoryChartsTest, HealthKeepsOneRowADayAndWidensItsAxisToTheValues) {
    const std::vector<HealthDay> health = {day("S", 1, 5750), day("S", 0, 3000), day("S", 0, 3100)};
    const Chart chart = make_history_charts({}, health, k_now).health;
    ASSERT_EQ(chart.runs.size(), 1u);
    ASSERT_EQ(chart.runs[0].size(), 2u);
    EXPECT_EQ(std::tuple(chart.runs[0][1].value, chart.low, chart.high), std::tuple(62, 60, 120));
}

} // namespace
