#include "app/chart_ticks.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

// Zones written out as rules, so that no time-zone database is needed.
constexpr const char* k_utc = "UTC0";
constexpr const char* k_berlin = "CET-1CEST,M3.5.0,M10.5.0/3";
constexpr const char* k_kathmandu = "<+0545>-5:45";

class InZone {
  public:
    explicit InZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) m_old = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~InZone() {
        if (m_old.empty())
            unsetenv("TZ");
        else
            setenv("TZ", m_old.c_str(), 1);
        tzset();
    }

  private:
    std::string m_old;
};

constexpr std::int64_t k_hour = 3600;
// 2026-12-08T00:00:00Z, 2026-10-25T00:00:00Z, 2026-03-29T00:00:00Z, 2026-01-01T00:00:00Z.
constexpr std::int64_t k_dec_8 = 1796688000;
constexpr std::int64_t k_oct_25 = 1792886400;
constexpr std::int64_t k_mar_29 = 1774742400;
constexpr std::int64_t k_jan_1 = 1767225600;

enum class Kind { hours6, days, months1, months3 };

struct Case {
    const char* name;
    const char* zone;
    Kind kind;
    std::int64_t from;
    std::int64_t to;
    std::vector<ChartTick> expected;
};

std::vector<ChartTick> ticks_of(const Case& c) {
    switch (c.kind) {
    case Kind::hours6:
        return hour_ticks(c.from, c.to, 6);
    case Kind::days:
        return day_ticks(c.from, c.to);
    case Kind::months1:
        return month_ticks(c.from, c.to, 1);
    case Kind::months3:
        return month_ticks(c.from, c.to, 3);
    }
    return {};
}

TEST(ChartTicks, FallAtTheStartOfEachLocalBlock) {
    const std::vector<Case> cases = {
        {"a day in UTC, from mid-block",
         k_utc,
         Kind::hours6,
         k_dec_8 + 90 * 60,
         k_dec_8 + 90 * 60 + 24 * k_hour,
         {{k_dec_8 + 6 * k_hour, "06:00"},
          {k_dec_8 + 12 * k_hour, "12:00"},
          {k_dec_8 + 18 * k_hour, "18:00"},
          {k_dec_8 + 24 * k_hour, "00:00"}}},
        {"a block starting exactly at the axis' start is marked",
         k_utc,
         Kind::hours6,
         k_dec_8,
         k_dec_8 + 7 * k_hour,
         {{k_dec_8, "00:00"}, {k_dec_8 + 6 * k_hour, "06:00"}}},
        // The night the clocks go back: 00:00 CEST is 22:00Z the day before, and the next
        // local midnight comes 25 hours later.
        {"a 25-hour day in autumn",
         k_berlin,
         Kind::days,
         k_oct_25 - 3 * k_hour,
         k_oct_25 + 24 * k_hour,
         {{k_oct_25 - 2 * k_hour, "Sun 25"}, {k_oct_25 + 23 * k_hour, "Mon 26"}}},
        {"a 23-hour day in spring",
         k_berlin,
         Kind::days,
         k_mar_29 - 2 * k_hour,
         k_mar_29 + 23 * k_hour,
         {{k_mar_29 - k_hour, "Sun 29"}, {k_mar_29 + 22 * k_hour, "Mon 30"}}},
        // 02:00 to 03:00 is skipped: the 06:00 mark is still at local 06:00, 04:00Z.
        {"six-hour blocks over the spring change",
         k_berlin,
         Kind::hours6,
         k_mar_29,
         k_mar_29 + 12 * k_hour,
         {{k_mar_29 + 4 * k_hour, "06:00"}, {k_mar_29 + 10 * k_hour, "12:00"}}},
        {"a zone a quarter-hour off the hour",
         k_kathmandu,
         Kind::hours6,
         k_dec_8,
         k_dec_8 + 12 * k_hour,
         {{k_dec_8 + 15 * 60, "06:00"}, {k_dec_8 + 6 * k_hour + 15 * 60, "12:00"}}},
        {"months",
         k_utc,
         Kind::months1,
         k_jan_1 + k_hour,
         k_jan_1 + 70 * 24 * k_hour,
         {{k_jan_1 + 31 * 24 * k_hour, "Feb 2026"}, {k_jan_1 + 59 * 24 * k_hour, "Mar 2026"}}},
        {"every third month",
         k_utc,
         Kind::months3,
         k_jan_1,
         k_jan_1 + 200 * 24 * k_hour,
         {{k_jan_1, "Jan 2026"},
          {k_jan_1 + 90 * 24 * k_hour, "Apr 2026"},
          {k_jan_1 + 181 * 24 * k_hour, "Jul 2026"}}},
        {"an axis shorter than a block",
         k_utc,
         Kind::days,
         k_dec_8 + k_hour,
         k_dec_8 + 2 * k_hour,
         {}},
    };
    for (const Case& c : cases) {
        InZone zone(c.zone);
        EXPECT_EQ(ticks_of(c), c.expected) << c.name;
    }
}

} // namespace
