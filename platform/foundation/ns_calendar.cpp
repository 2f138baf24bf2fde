#include "platform/foundation/ns_calendar.h"

#include "platform/foundation/instance_of.h"
#include "platform/foundation/ns_string.h"

NSString* const NSCalendarIdentifierGregorian = NSString::make_constant(u"gregorian");

NSCalendar* NSCalendar::calendarWithIdentifier(Class self, NSString* identifier) {
    if (!identifier || !identifier->isEqual(NSCalendarIdentifierGregorian)) return nil;
    ObjcRef<NSCalendar> calendar = make_instance_of<NSCalendar>(self);
    if (!calendar) return nil;
    {
        AutoreleasePoolScope pool;
        calendar->m_time_zone = ObjcRef<NSTimeZone>::retain(NSTimeZone::defaultTimeZone(nil));
    }
    return calendar.autorelease();
}

void register_ns_calendar_class() {
    NSString::give_constant_class(NSCalendarIdentifierGregorian);
    register_native_class<NSCalendar>("NSCalendar", "NSObject", {});
}
