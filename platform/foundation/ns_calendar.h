#pragma once
// NSCalendar: the Gregorian calendar (proleptic, as the C library counts) in a time zone, which
// is the default time zone at the calendar's making unless -setTimeZone: gives another. It
// answers the components of a date; no other calendar exists here.

#include "platform/foundation/ns_time_zone.h"
#include "platform/objc/native_class.h"

#include <limits>
#include <optional>

class NSDate;
class NSString;

// The platform's value, "gregorian".
extern NSString* const NSCalendarIdentifierGregorian;

enum NSCalendarUnit : NSUInteger {
    NSCalendarUnitEra = 1u << 1,
    NSCalendarUnitYear = 1u << 2,
    NSCalendarUnitMonth = 1u << 3,
    NSCalendarUnitDay = 1u << 4,
    NSCalendarUnitHour = 1u << 5,
    NSCalendarUnitMinute = 1u << 6,
    NSCalendarUnitSecond = 1u << 7,
    NSCalendarUnitWeekday = 1u << 9,
    NSCalendarUnitNanosecond = 1u << 15,
};

// What -component:fromDate: answers for a unit it does not know or a date it cannot convert.
inline constexpr NSInteger NSDateComponentUndefined = std::numeric_limits<NSInteger>::max();

// A date's components: month and day count from 1, weekday from 1 for Sunday; era is 1 for
// years from 1 on and 0 before.
struct CalendarComponents {
    NSInteger era;
    NSInteger year;
    NSInteger month;
    NSInteger day;
    NSInteger hour;
    NSInteger minute;
    NSInteger second;
    NSInteger weekday;
    NSInteger nanosecond;
};

class NSCalendar : public NSObject {
  public:
    NSCalendar() = default;

    // A new Gregorian calendar holding one reference, in the default time zone.
    static ObjcRef<NSCalendar> make();

    // Nothing for a nil date, or a date the C library cannot convert.
    std::optional<CalendarComponents> components_of(const NSDate* date) const;

    // Class methods; calendars are autoreleased and new at each call.
    static NSCalendar* currentCalendar(Class self);
    static NSCalendar* autoupdatingCurrentCalendar(Class self) { return currentCalendar(self); }
    // Nil for an identifier other than NSCalendarIdentifierGregorian's text.
    static NSCalendar* calendarWithIdentifier(Class self, NSString* identifier);

    NSString* calendarIdentifier() const;
    NSTimeZone* timeZone() const { return m_time_zone.get(); }
    // A nil zone changes nothing.
    void setTimeZone(NSTimeZone* zone);
    // Sunday.
    NSUInteger firstWeekday() const { return 1; }
    // One unit of NSCalendarUnit; NSDateComponentUndefined otherwise.
    NSInteger componentFromDate(NSCalendarUnit unit, NSDate* date) const;

  private:
    // A new instance of `cls` (NSCalendar when nil) in the default time zone.
    static ObjcRef<NSCalendar> make_with(Class cls);

    ObjcRef<NSTimeZone> m_time_zone;
};

void register_ns_calendar_class();
