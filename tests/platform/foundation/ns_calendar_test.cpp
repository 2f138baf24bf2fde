#include "platform/foundation/ns_calendar.h"

#include "platform/foundation/ns_date.h"
#include "tests/platform/foundation/foundation_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

std::string text_of(const CalendarComponents& c) {
    return std::to_string(c.era) + " " + std::to_string(c.year) + "-" + std::to_string(c.month) +
           "-" + std::to_string(c.day) + " " + std::to_string(c.hour) + ":" +
           std::to_string(c.minute) + ":" + std::to_string(c.second) + " +" +
           std::to_string(c.nanosecond) + "ns weekday " + std::to_string(c.weekday);
}

NSCalendar* calendar_at_offset(NSInteger seconds) {
    auto* calendar = msg_send<NSCalendar*>(class_named("NSCalendar"), "calendarWithIdentifier:",
                                           static_cast<id>(NSCalendarIdentifierGregorian));
    if (calendar) calendar->setTimeZone(NSTimeZone::make_fixed(seconds).autorelease());
    return calendar;
}

} // namespace

TEST(NSCalendar, SplitsDatesIntoGregorianComponentsInItsZone) {
    struct Case {
        double seconds_since_1970;
        NSInteger offset;
        const char* expected;
    };
    const Case cases[] = {
        {1709214330.25, 0, "1 2024-2-29 13:45:30 +250000000ns weekday 5"},
        {1709214330.25, 3600, "1 2024-2-29 14:45:30 +250000000ns weekday 5"},
        {1709214330, -14 * 3600, "1 2024-2-28 23:45:30 +0ns weekday 4"},
        {-1, 0, "1 1969-12-31 23:59:59 +0ns weekday 4"},
        {-0.5, 0, "1 1969-12-31 23:59:59 +500000000ns weekday 4"},
        {-62135596800, 0, "1 1-1-1 0:0:0 +0ns weekday 2"},
        {-62135596801, 0, "0 1-12-31 23:59:59 +0ns weekday 1"},
    };
    AutoreleasePoolScope pool;
    for (const Case& row : cases) {
        NSCalendar* calendar = calendar_at_offset(row.offset);
        ASSERT_TRUE(calendar);
        ObjcRef<NSDate> date = NSDate::make(row.seconds_since_1970);
        std::optional<CalendarComponents> parts = calendar->components_of(date.get());
        ASSERT_TRUE(parts) << row.seconds_since_1970;
        EXPECT_EQ(text_of(*parts), row.expected)
            << row.seconds_since_1970 << " at offset " << row.offset;
    }
}

TEST(NSCalendar, AnswersOneComponentByName) {
    AutoreleasePoolScope pool;
    NSCalendar* calendar = calendar_at_offset(3600);
    ASSERT_TRUE(calendar);
    ObjcRef<NSDate> date = NSDate::make(1709214330.0);
    struct Case {
        NSCalendarUnit unit;
        NSInteger expected;
    };
    const Case cases[] = {
        {NSCalendarUnitYear, 2024},
        {NSCalendarUnitMonth, 2},
        {NSCalendarUnitDay, 29},
        {NSCalendarUnitHour, 14},
        {NSCalendarUnitMinute, 45},
        {NSCalendarUnitSecond, 30},
        {NSCalendarUnitWeekday, 5},
        {NSCalendarUnitEra, 1},
        {static_cast<NSCalendarUnit>(NSCalendarUnitYear | NSCalendarUnitMonth),
         NSDateComponentUndefined},
        {static_cast<NSCalendarUnit>(1u << 20), NSDateComponentUndefined},
    };
    for (const Case& row : cases) {
        EXPECT_EQ(msg_send<NSInteger>(calendar, "component:fromDate:", row.unit,
                                      static_cast<id>(date.get())),
                  row.expected)
            << "unit " << row.unit;
    }
    EXPECT_EQ(calendar->componentFromDate(NSCalendarUnitYear, nullptr), NSDateComponentUndefined);
    ObjcRef<NSDate> not_a_time = NSDate::make(std::nan(""));
    EXPECT_EQ(calendar->componentFromDate(NSCalendarUnitYear, not_a_time.get()),
              NSDateComponentUndefined);
}

TEST(NSCalendar, OnlyTheGregorianIdentifierMakesACalendar) {
    AutoreleasePoolScope pool;
    Class cls = class_named("NSCalendar");
    EXPECT_EQ(text_of(NSCalendarIdentifierGregorian), "gregorian");
    EXPECT_EQ(object_getClass(NSCalendarIdentifierGregorian), class_named("NSString"));
    id by_text = msg_send<id>(cls, "calendarWithIdentifier:",
                              static_cast<id>(NSString::make(u"gregorian").autorelease()));
    ASSERT_TRUE(by_text);
    EXPECT_EQ(text_of(msg_send<id>(by_text, "calendarIdentifier")), "gregorian");
    for (std::u16string_view other : {u"buddhist", u"Gregorian", u""}) {
        EXPECT_EQ(msg_send<id>(cls, "calendarWithIdentifier:",
                               static_cast<id>(NSString::make(other).autorelease())),
                  nil);
    }
    EXPECT_EQ(msg_send<id>(cls, "calendarWithIdentifier:", static_cast<id>(nil)), nil);
}

// What the dates start-up keeps: the default zone and a Gregorian calendar in it.
TEST(NSCalendar, ANewCalendarUsesTheDefaultTimeZone) {
    AutoreleasePoolScope pool;
    Class zones = class_named("NSTimeZone");
    ObjcRef<> kept_zone = ObjcRef<>::retain(msg_send<id>(zones, "defaultTimeZone"));
    ASSERT_TRUE(kept_zone);
    NSTimeZone* fixed = NSTimeZone::make_fixed(5 * 3600).autorelease();
    msg_send<void>(zones, "setDefaultTimeZone:", static_cast<id>(fixed));
    id calendar = msg_send<id>(class_named("NSCalendar"), "currentCalendar");
    msg_send<void>(zones, "setDefaultTimeZone:", static_cast<id>(nil));
    ASSERT_TRUE(calendar);
    EXPECT_EQ(msg_send<id>(calendar, "timeZone"), fixed);
    ObjcRef<NSDate> date = NSDate::make(1709214330.0);
    EXPECT_EQ(msg_send<NSInteger>(calendar, "component:fromDate:", NSCalendarUnitHour,
                                  static_cast<id>(date.get())),
              18);
    EXPECT_EQ(msg_send<NSUInteger>(calendar, "firstWeekday"), 1u);
}
