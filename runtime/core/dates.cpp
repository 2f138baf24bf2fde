#include "runtime/core/dates.h"

#include "platform/foundation/ns_calendar.h"
#include "platform/foundation/ns_time_zone.h"
#include "platform/objc/objc_ref.h"

namespace rt {
namespace {

// Immortal holders: the references are let go by EndDates, never by a static destructor that
// could run after the object runtime is gone.
struct DateObjects {
    ObjcRef<NSTimeZone> time_zone;
    ObjcRef<NSCalendar> calendar;
};

DateObjects& date_objects() {
    static auto* objects = new DateObjects();
    return *objects;
}

} // namespace

int InitDates() {
    DateObjects& objects = date_objects();
    objects.time_zone = ObjcRef<NSTimeZone>::retain(NSTimeZone::defaultTimeZone(nil));
    objects.calendar = ObjcRef<NSCalendar>::retain(
        NSCalendar::calendarWithIdentifier(nil, NSCalendarIdentifierGregorian));
    return objects.time_zone && objects.calendar ? 1 : 0;
}

void EndDates() {
    DateObjects& objects = date_objects();
    objects.calendar = ObjcRef<NSCalendar>();
    objects.time_zone = ObjcRef<NSTimeZone>();
}

bool dates_ready() {
    const DateObjects& objects = date_objects();
    return objects.time_zone && objects.calendar;
}

} // namespace rt
