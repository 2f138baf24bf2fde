#pragma once
// NSCalendar: the Gregorian calendar in the default time zone of its making; no other calendar
// exists here.

#include "platform/foundation/ns_time_zone.h"
#include "platform/objc/native_class.h"

class NSString;

// The platform's value, "gregorian".
extern NSString* const NSCalendarIdentifierGregorian;

class NSCalendar : public NSObject {
  public:
    NSCalendar() = default;

    // Autoreleased and new at each call; nil for an identifier other than
    // NSCalendarIdentifierGregorian's text.
    static NSCalendar* calendarWithIdentifier(Class self, NSString* identifier);

  private:
    ObjcRef<NSTimeZone> m_time_zone;
};

void register_ns_calendar_class();
