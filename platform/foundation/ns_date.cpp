#include "platform/foundation/ns_date.h"

#include "platform/foundation/clock.h"
#include "platform/foundation/instance_of.h"

#include <bit>
#include <cstdint>

NSDate* NSDate::make_autoreleased(Class cls, NSTimeInterval seconds_since_1970) {
    ObjcRef<NSDate> date = make_instance_of<NSDate>(cls);
    if (!date) return nil;
    date->m_seconds = seconds_since_1970;
    return date.autorelease();
}

ObjcRef<NSDate> NSDate::make(NSTimeInterval seconds_since_1970) {
    return make_native<NSDate>(seconds_since_1970);
}

NSDate* NSDate::date(Class self) {
    return make_autoreleased(self, platform_now());
}

// Dates never change, so NSDate's own distant future is one date, made once; a subclass gets a
// new instance of itself.
NSDate* NSDate::distantFuture(Class self) {
    if (self && self != native_class<NSDate>())
        return make_autoreleased(self, k_distant_future_time);
    static NSDate* s_distant_future = [] {
        NSDate* date = make(k_distant_future_time).take();
        if (date) ObjectHeader::make_immortal(*date);
        return date;
    }();
    return s_distant_future;
}

NSDate* NSDate::dateWithTimeIntervalSinceNow(Class self, NSTimeInterval seconds) {
    return make_autoreleased(self, platform_now() + seconds);
}

BOOL NSDate::isEqual(id other) const {
    if (other == this) return YES;
    auto* date = dynamic_cast<NSDate*>(other);
    return date && date->m_seconds == m_seconds ? YES : NO;
}

NSUInteger NSDate::hash() const {
    // +0.0 and -0.0 are equal dates and must hash alike.
    return m_seconds == 0 ? 0 : std::bit_cast<std::uint64_t>(m_seconds);
}

void register_ns_date_class() {
    register_native_class<NSDate>("NSDate", "NSObject",
                                  {
                                      class_method<&NSDate::date>("date"),
                                      instance_method<&NSDate::timeIntervalSince1970>(
                                          "timeIntervalSince1970"),
                                  });
}
