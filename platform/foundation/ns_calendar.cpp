#include "platform/foundation/ns_calendar.h"

#include "platform/foundation/instance_of.h"
#include "platform/foundation/ns_date.h"
#include "platform/foundation/ns_string.h"

#include <algorithm>
#include <cmath>

namespace {

NSInteger nanoseconds_of(double seconds, std::time_t whole) {
    auto nanoseconds = static_cast<NSInteger>(std::llround((seconds - double(whole)) * 1e9));
    return std::clamp<NSInteger>(nanoseconds, 0, 999'999'999);
}

CalendarComponents components_from(const std::tm& time, NSInteger nanosecond) {
    NSInteger year = NSInteger{time.tm_year} + 1900;
    // The year before 1 is year 1 of the era before it.
    NSInteger era = year >= 1 ? 1 : 0;
    return {era,         era ? year : 1 - year, time.tm_mon + 1,  time.tm_mday, time.tm_hour,
            time.tm_min, time.tm_sec,           time.tm_wday + 1, nanosecond};
}

std::optional<NSInteger> component(const CalendarComponents& parts, NSCalendarUnit unit) {
    switch (unit) {
    case NSCalendarUnitEra:
        return parts.era;
    case NSCalendarUnitYear:
        return parts.year;
    case NSCalendarUnitMonth:
        return parts.month;
    case NSCalendarUnitDay:
        return parts.day;
    case NSCalendarUnitHour:
        return parts.hour;
    case NSCalendarUnitMinute:
        return parts.minute;
    case NSCalendarUnitSecond:
        return parts.second;
    case NSCalendarUnitWeekday:
        return parts.weekday;
    case NSCalendarUnitNanosecond:
        return parts.nanosecond;
    }
    return std::nullopt;
}

} // namespace

NSString* const NSCalendarIdentifierGregorian = NSString::make_constant(u"gregorian");

ObjcRef<NSCalendar> NSCalendar::make_with(Class cls) {
    ObjcRef<NSCalendar> calendar = make_instance_of<NSCalendar>(cls);
    if (!calendar) return {};
    AutoreleasePoolScope pool;
    calendar->m_time_zone = ObjcRef<NSTimeZone>::retain(NSTimeZone::defaultTimeZone(nil));
    return calendar;
}

ObjcRef<NSCalendar> NSCalendar::make() {
    return make_with(nil);
}

std::optional<CalendarComponents> NSCalendar::components_of(const NSDate* date) const {
    if (!date || !m_time_zone) return std::nullopt;
    double seconds = date->seconds_since_1970();
    std::optional<std::time_t> whole = whole_seconds_of(seconds);
    if (!whole) return std::nullopt;
    std::optional<std::tm> time = m_time_zone->broken_down_time(*whole);
    if (!time) return std::nullopt;
    return components_from(*time, nanoseconds_of(seconds, *whole));
}

NSCalendar* NSCalendar::currentCalendar(Class self) {
    return make_with(self).autorelease();
}

NSCalendar* NSCalendar::calendarWithIdentifier(Class self, NSString* identifier) {
    if (!identifier || !identifier->isEqual(NSCalendarIdentifierGregorian)) return nil;
    return make_with(self).autorelease();
}

NSString* NSCalendar::calendarIdentifier() const {
    return NSCalendarIdentifierGregorian;
}

void NSCalendar::setTimeZone(NSTimeZone* zone) {
    if (zone) m_time_zone = ObjcRef<NSTimeZone>::retain(zone);
}

NSInteger NSCalendar::componentFromDate(NSCalendarUnit unit, NSDate* date) const {
    std::optional<CalendarComponents> parts = components_of(date);
    if (!parts) return NSDateComponentUndefined;
    return component(*parts, unit).value_or(NSDateComponentUndefined);
}

void register_ns_calendar_class() {
    NSString::give_constant_class(NSCalendarIdentifierGregorian);
    register_native_class<NSCalendar>(
        "NSCalendar", "NSObject",
        {
            class_method<&NSCalendar::currentCalendar>("currentCalendar"),
            class_method<&NSCalendar::autoupdatingCurrentCalendar>("autoupdatingCurrentCalendar"),
            class_method<&NSCalendar::calendarWithIdentifier>("calendarWithIdentifier:"),
            instance_method<&NSCalendar::calendarIdentifier>("calendarIdentifier"),
            instance_method<&NSCalendar::timeZone>("timeZone"),
            instance_method<&NSCalendar::setTimeZone>("setTimeZone:"),
            instance_method<&NSCalendar::firstWeekday>("firstWeekday"),
            instance_method<&NSCalendar::componentFromDate>("component:fromDate:"),
        });
}
