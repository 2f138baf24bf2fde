#include "platform/foundation/ns_date.h"

#include "platform/foundation/clock.h"
#include "tests/platform/foundation/foundation_test_support.h"

#include <gtest/gtest.h>

TEST(NSDate, ReadsNowFromThePlatformClock) {
    AutoreleasePoolScope pool;
    ManualClock clock(1'700'000'000.5);
    Class cls = class_named("NSDate");
    auto* now = msg_send<NSDate*>(cls, "date");
    auto* later = msg_send<NSDate*>(cls, "dateWithTimeIntervalSinceNow:", 10.0);
    ASSERT_TRUE(now && later);
    EXPECT_EQ(msg_send<double>(now, "timeIntervalSince1970"), 1'700'000'000.5);
    EXPECT_EQ(later->timeIntervalSince1970(), 1'700'000'010.5);
    EXPECT_EQ(msg_send<double>(later, "timeIntervalSinceNow"), 10.0);
    EXPECT_EQ(later->timeIntervalSinceDate(now), 10.0);
}

TEST(NSDate, DatesAtTheSameTimeAreEqual) {
    AutoreleasePoolScope pool;
    auto* a = msg_send<NSDate*>(class_named("NSDate"), "dateWithTimeIntervalSince1970:", 86400.0);
    NSDate* b = NSDate::make(86400.0).autorelease();
    EXPECT_TRUE(a->isEqual(b));
    EXPECT_EQ(a->hash(), b->hash());
    EXPECT_FALSE(a->isEqual(NSDate::make(86400.5).autorelease()));
    EXPECT_EQ(NSDate::make(0.0)->hash(), NSDate::make(-0.0)->hash());
}
