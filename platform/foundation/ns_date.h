#pragma once
// NSDate: a point in time, held as seconds since 1970-01-01 00:00:00 UTC. "Now" is the platform
// clock's reading (clock.h), so dates follow a virtual clock when one is installed.

#include "platform/objc/native_class.h"

using NSTimeInterval = double;

class NSDate : public NSObject {
  public:
    NSDate() = default;
    explicit NSDate(NSTimeInterval seconds_since_1970) : m_seconds(seconds_since_1970) {}

    // A new date holding one reference.
    static ObjcRef<NSDate> make(NSTimeInterval seconds_since_1970);

    NSTimeInterval seconds_since_1970() const { return m_seconds; }

    // Class methods; each returns an autoreleased instance of the receiving class.
    static NSDate* date(Class self);
    // Dates far enough away to stand for "never" and "always" (the start of the years 4001 and 1).
    static NSDate* distantFuture(Class self);
    static NSDate* distantPast(Class self);
    static NSDate* dateWithTimeIntervalSinceNow(Class self, NSTimeInterval seconds);
    static NSDate* dateWithTimeIntervalSince1970(Class self, NSTimeInterval seconds);

    NSTimeInterval timeIntervalSince1970() const { return m_seconds; }
    // Negative for a date in the past.
    NSTimeInterval timeIntervalSinceNow() const;
    NSTimeInterval timeIntervalSinceDate(NSDate* other) const;
    BOOL isEqualToDate(NSDate* other) const;
    BOOL isEqual(id other) const override;
    NSUInteger hash() const override;

  private:
    // An autoreleased instance of `cls` at the given time.
    static NSDate* make_autoreleased(Class cls, NSTimeInterval seconds_since_1970);

    NSTimeInterval m_seconds = 0;
};

void register_ns_date_class();
