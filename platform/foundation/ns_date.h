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

    NSTimeInterval timeIntervalSince1970() const { return m_seconds; }

    // Class methods; each returns an autoreleased instance of the receiving class.
    static NSDate* date(Class self);
    // A date far enough away to stand for "never" (the start of the year 4001).
    static NSDate* distantFuture(Class self);
    static NSDate* dateWithTimeIntervalSinceNow(Class self, NSTimeInterval seconds);

    BOOL isEqual(id other) const override;
    NSUInteger hash() const override;

  private:
    // An autoreleased instance of `cls` at the given time.
    static NSDate* make_autoreleased(Class cls, NSTimeInterval seconds_since_1970);

    NSTimeInterval m_seconds = 0;
};

void register_ns_date_class();
