#include "app/chart_ticks.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

// Zones written out as rules, so that no time-zone database is needed.
constexpr const char* k_utc = "UTC0";
constexpr const char* k_berlin = "CET-1CEST,M3.5.0,M10.5.0/3";
constexpr const char* k_kathmandu = "<+0545>-5:45";

constexpr std::int64_t k_hour = 3600, k_24h = 24 * k_hour;
// 2026-12-08T00:00:00Z, 2026-10-25T00:00:00Z, 2026-03-29T00:00:00Z, 2026-01-01T00:00:00Z.
constexpr std::int64_t k_dec_8 = 1796688000;
constexpr std::int64_t k_oct_25 = 1792886400;
constexpr std::int64_t k_mar_29 = 1774742400;
constexpr std::int64_t k_jan_1 = 1767225600;

using Ticks = std::vector<ChartTick> (*)(std::int64_t, std::int64_t);
const Ticks hours6 = [](std::int64_t from, std::int64_t to) { return hour_ticks(from, to, 6); };
const Ticks days = [](std::int64_t from, std::int64_t to) { return day_ticks(from, to); };
const Ticks months1 = [](std::int64_t from, std::int64_t to) { return month_ticks(from, to, 1); };
const Ticks months3 = [](std::int64_t from, std::int64_t to) { return month_ticks(from, to, 3); };

TEST(ChartTicks, FallAtTheStartOfEachLocalBlock) {
    const auto check = [](const char* name, const char* zone, Ticks ticks, std::int64_t from,
                          std::int64_t to, const std::vector<ChartTick>& expected) {
        setenv("TZ", zone, 1);
        tzset();
        EXPECT_EQ(ticks(from, to), expected) << name;
    };
    const std::int64_t mid_block = k_dec_8 + 90 * 60;
    check("a day in UTC, from mid-block", k_utc, hours6, mid_block, mid_block + k_24h,
          {{k_dec_8 + 6 * k_hour, "06:00"},
           {k_dec_8 + 12 * k_hour, "12:00"},
           {k_dec_8 + 18 * k_hour, "18:00"},
           {k_dec_8 + k_24h, "00:00"}});
    check("a block starting exactly at the axis' start is marked", k_utc, hours6, k_dec_8,
          k_dec_8 + 7 * k_hour, {{k_dec_8, "00:00"}, {k_dec_8 + 6 * k_hour, "06:00"}});
    // The night the clocks go back: 00:00 CEST is 22:00Z the day before, and the next local
    // midnight comes 25 hours later.
    check("a 25-hour day in autumn", k_berlin, days, k_oct_25 - 3 * k_hour, k_oct_25 + k_24h,
          {{k_oct_25 - 2 * k_hour, "Sun 25"}, {k_oct_25 + 23 * k_hour, "Mon 26"}});
    check("a 23-hour day in spring", k_berlin, days, k_mar_29 - 2 * k_hour, k_mar_29 + 23 * k_hour,
          {{k_mar_29 - k_hour, "Sun 29"}, {k_mar_29 + 22 * k_hour, "Mon 30"}});
    // 02:00 to 03:00 is skipped: the 06:00 mark is still at local 06:00, 04:00Z.
    check("six-hour blocks over the spring change", k_berlin, hours6, k_mar_29,
          k_mar_29 + 12 * k_hour,
          {{k_mar_29 + 4 * k_hour, "06:00"}, {k_mar_29 + 10 * k_hour, "12:00"}});
    check("a zone a quarter-hour off the hour", k_kathmandu, hours6, k_dec_8, k_dec_8 + 12 * k_hour,
          {{k_dec_8 + 15 * 60, "06:00"}, {k_dec_8 + 6 * k_hour + 15 * 60, "12:00"}});
    check("months", k_utc, months1, k_jan_1 + k_hour, k_jan_1 + 70 * k_24h,
          {{k_jan_1 + 31 * k_24h, "Feb 2026"}, {k_jan_1 + 59 * k_24h, "Mar 2026"}});
    check("every third month", k_utc, months3, k_jan_1, k_jan_1 + 200 * k_24h,
          {{k_jan_1, "Jan 2026"},
           {k_jan_1 + 90 * k_24h, "Apr 2026"},
           {k_jan_1 + 181 * k_24h, "Jul 2026"}});
    check("an axis shorter than a block", k_utc, days, k_dec_8 + k_hour, k_dec_8 + 2 * k_hour, {});
    unsetenv("TZ");
    tzset();
}

} // namespace
