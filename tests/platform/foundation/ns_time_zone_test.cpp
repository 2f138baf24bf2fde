#include "platform/foundation/ns_time_zone.h"

#include "platform/foundation/ns_date.h"
#include "tests/platform/foundation/foundation_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

// Sets or unsets TZ for the life of the scope; the system time zone is read anew on both ends.
class TimeZoneScope {
  public:
    explicit TimeZoneScope(const char* value) {
        if (const char* old = std::getenv("TZ")) m_old = old;
        apply(value);
    }
    ~TimeZoneScope() { apply(m_old ? m_old->c_str() : nullptr); }

  private:
    static void apply(const char* value) {
        if (value) {
            setenv("TZ", value, 1);
        } else {
            unsetenv("TZ");
        }
        NSTimeZone::resetSystemTimeZone(nil);
    }

    std::optional<std::string> m_old;
};

constexpr double k_winter_noon_2024 = 1704110400; // 2024-01-01 12:00:00 UTC
constexpr double k_summer_noon_2024 = 1719835200; // 2024-07-01 12:00:00 UTC

} // namespace

TEST(NSTimeZone, NamesTheLocalZoneFromTheFirstSourceThatHasOne) {
    struct Case {
        TimeZoneSources sources;
        const char* expected;
    };
    const std::string_view link = "/usr/share/zoneinfo/Europe/Berlin";
    const Case cases[] = {
        {{"Europe/Paris", link, "Etc/UTC", "CET"}, "Europe/Paris"},
        {{":America/New_York", link, "", ""}, "America/New_York"},
        {{"EST5EDT,M3.2.0,M11.1.0", link, "", ""}, "EST5EDT,M3.2.0,M11.1.0"},
        {{"/usr/share/zoneinfo/Asia/Tokyo", link, "", ""}, "Asia/Tokyo"},
        {{":/etc/localtime", link, "", ""}, "Europe/Berlin"},
        {{"", link, "Etc/UTC", "CET"}, "UTC"}, // set but empty: the C library uses UTC
        {{std::nullopt, link, "Etc/UTC", "CET"}, "Europe/Berlin"},
        {{std::nullopt, "../usr/share/zoneinfo/Etc/UTC", "", ""}, "Etc/UTC"},
        {{std::nullopt, "/somewhere/else", "Europe/Rome", "CET"}, "Europe/Rome"},
        {{std::nullopt, "", "", "CET"}, "CET"},
        {{std::nullopt, "", "", ""}, "UTC"},
    };
    for (const Case& row : cases) {
        EXPECT_EQ(time_zone_name_for(row.sources), row.expected)
            << "TZ=" << row.sources.tz.value_or("<unset>") << " link "
            << row.sources.localtime_link_target;
    }
}

TEST(NSTimeZone, FixedZonesAreNamedByTheirOffset) {
    struct Case {
        NSInteger seconds;
        const char* name; // null: no zone
    };
    const Case cases[] = {
        {0, "GMT"},          {3600, "GMT+0100"},   {-34200, "GMT-0930"}, {19800, "GMT+0530"},
        {64800, "GMT+1800"}, {-64800, "GMT-1800"}, {64801, nullptr},     {-64801, nullptr},
    };
    AutoreleasePoolScope pool;
    for (const Case& row : cases) {
        id zone =
            msg_send<id>(class_named("NSTimeZone"), "timeZoneForSecondsFromGMT:", row.seconds);
        SCOPED_TRACE(row.seconds);
        if (!row.name) {
            EXPECT_EQ(zone, nil);
            continue;
        }
        ASSERT_TRUE(zone);
        EXPECT_EQ(text_of(msg_send<id>(zone, "name")), row.name);
        EXPECT_EQ(msg_send<NSInteger>(zone, "secondsFromGMT"), row.seconds);
        EXPECT_EQ(msg_send<NSInteger>(zone, "secondsFromGMTForDate:",
                                      static_cast<id>(NSDate::make(k_summer_noon_2024).get())),
                  row.seconds);
    }
}

TEST(NSTimeZone, TheSystemZoneFollowsTzWithDaylightSavingTime) {
    TimeZoneScope tz("EST5EDT,M3.2.0,M11.1.0");
    AutoreleasePoolScope pool;
    auto* zone = msg_send<NSTimeZone*>(class_named("NSTimeZone"), "systemTimeZone");
    ASSERT_TRUE(zone);
    EXPECT_EQ(text_of(zone->name()), "EST5EDT,M3.2.0,M11.1.0");
    ObjcRef<NSDate> winter = NSDate::make(k_winter_noon_2024);
    ObjcRef<NSDate> summer = NSDate::make(k_summer_noon_2024);
    EXPECT_EQ(msg_send<NSInteger>(zone, "secondsFromGMTForDate:", static_cast<id>(winter.get())),
              -5 * 3600);
    EXPECT_EQ(zone->secondsFromGMTForDate(summer.get()), -4 * 3600);
    EXPECT_EQ(zone->secondsFromGMTForDate(nullptr), 0);
    // Kept until reset, so repeated questions get the same zone.
    EXPECT_EQ(NSTimeZone::systemTimeZone(nil), zone);
}

TEST(NSTimeZone, DefaultZoneIsTheSystemOneUnlessChosen) {
    TimeZoneScope tz("XYZ-3");
    AutoreleasePoolScope pool;
    Class cls = class_named("NSTimeZone");
    auto* system = msg_send<NSTimeZone*>(cls, "systemTimeZone");
    ASSERT_TRUE(system);
    EXPECT_EQ(system->secondsFromGMT(), 3 * 3600);
    EXPECT_EQ(msg_send<id>(cls, "defaultTimeZone"), system);
    EXPECT_EQ(msg_send<id>(cls, "localTimeZone"), system);

    NSTimeZone* fixed = NSTimeZone::make_fixed(-7200).autorelease();
    msg_send<void>(cls, "setDefaultTimeZone:", static_cast<id>(fixed));
    EXPECT_EQ(msg_send<id>(cls, "defaultTimeZone"), fixed);
    EXPECT_EQ(msg_send<id>(cls, "systemTimeZone"), system);
    msg_send<void>(cls, "setDefaultTimeZone:", static_cast<id>(nil));
    EXPECT_EQ(msg_send<id>(cls, "defaultTimeZone"), system);
}
