#include "platform/foundation/ns_time_zone.h"

#include "platform/foundation/ns_calendar.h"
#include "tests/platform/foundation/foundation_test_support.h"

#include <gtest/gtest.h>

TEST(NSTimeZone, NamesTheLocalZoneFromTheFirstSourceThatHasOne) {
    const std::string_view link = "/usr/share/zoneinfo/Europe/Berlin";
    const struct {
        TimeZoneSources sources;
        const char* expected;
    } rows[] = {
        {{"Europe/Paris", link, "Etc/UTC", "CET"}, "Europe/Paris"},
        {{":/etc/localtime", link, "", ""}, "Europe/Berlin"},
        {{"", link, "Etc/UTC", "CET"}, "UTC"}, // set but empty: the C library uses UTC
        {{std::nullopt, link, "Etc/UTC", "CET"}, "Europe/Berlin"},
        {{std::nullopt, "../usr/share/zoneinfo/Etc/UTC", "", ""}, "Etc/UTC"},
        {{std::nullopt, "/somewhere/else", "Europe/Rome", "CET"}, "Europe/Rome"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(time_zone_name_for(row.sources), row.expected)
            << "TZ=" << row.sources.tz.value_or("<unset>") << " link "
            << row.sources.localtime_link_target;
    }
}
