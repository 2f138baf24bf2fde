#include "history/history_csv.h"

#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

TEST(HistoryCsv, WritesTimesAsUtcIso8601) {
    const std::pair<std::int64_t, const char*> times[] = {
        {0, "1970-01-01T00:00:00Z"},
        {951782399, "2000-02-28T23:59:59Z"},
        {1709164800, "2024-02-29T00:00:00Z"},
        {-1, "1969-12-31T23:59:59Z"},
    };
    for (const auto& [seconds, text] : times)
        EXPECT_EQ(iso_time(seconds), text);
    EXPECT_EQ(iso_day(0), "1970-01-01");
    EXPECT_EQ(iso_day(19782), "2024-02-29");
    EXPECT_EQ(iso_day(-1), "1969-12-31");
    EXPECT_EQ(iso_day(std::numeric_limits<std::int64_t>::max()), "");
}

TEST(HistoryCsv, WritesEachRowWithItsKindThenTheBatteriesDays) {
    TemporaryFolder folder;
    HistoryStore::Opened opened = HistoryStore::open(folder / "history.sqlite3");
    ASSERT_TRUE(opened.store) << opened.said;
    constexpr std::int64_t now = 1'800'000'000;
    const std::vector<Reading> readings = {
        {now - 11 * 86400 + 5, 80, 4000, -700, ChargeState::Discharging, false},
        {now - 60, 99, std::nullopt, std::nullopt, ChargeState::Idle, true},
        {now, 100, 5000, 0, ChargeState::Full, true},
        {now + 1, 97, 4850, 1200, ChargeState::Charging, true},
    };
    const std::vector<HealthDay> days = {{"SN,\"1\"", 20833, 4410, 5000, 212},
                                         {"A", 20833, 900, 1000, std::nullopt}};
    std::string problem;
    ASSERT_TRUE(opened.store->write(readings, days, now, problem)) << problem;
    std::ostringstream csv;
    write_history_csv(*opened.store, csv);
    EXPECT_EQ(csv.str(),
              "kind,time (UTC),charge (%),left (mAh),current (mA),state,on mains,battery,"
              "full (mAh),design (mAh),cycles,health (%)\n"
              "hour,2027-01-04T08:00:00Z,80,4000,-700,discharging,no,,,,,\n"
              "reading,2027-01-15T07:59:00Z,99,,,not charging,yes,,,,,\n"
              "reading,2027-01-15T08:00:00Z,100,5000,0,full,yes,,,,,\n"
              "reading,2027-01-15T08:00:01Z,97,4850,1200,charging,yes,,,,,\n"
              "day,2027-01-15,,,,,,A,900,1000,,90.0\n"
              "day,2027-01-15,,,,,,\"SN,\"\"1\"\"\",4410,5000,212,88.2\n");
}

} // namespace
