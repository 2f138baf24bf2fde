#include "platform/foundation/ns_date.h"

#include "platform/foundation/clock.h"
#include "tests/platform/foundation/foundation_test_support.h"

#include <gtest/gtest.h>

TEST(NSDate, ReadsNowFromThePlatformClockAndEqualTimesAreEqual) {
    AutoreleasePoolScope pool;
    ManualClock clock(1'700'000'000.5);
    Class cls = class_named("NSDate");
    auto* now = msg_send<NSDate*>(cls, "date");
    auto* later = NSDate::dateWithTimeIntervalSinceNow(cls, 10.0);
    ASSERT_TRUE(now && later);
    EXPECT_EQ(msg_send<double>(now, "timeIntervalSince1970"), 1'700'000'000.5);
    EXPECT_EQ(later->timeIntervalSince1970(), 1'700'000'010.5);
    EXPECT_GT(NSDate::distantFuture(cls)->timeIntervalSince1970(), 1e10);
    NSDate* same = NSDate::make(1'700'000'010.5).autorelease();
    EXPECT_TRUE(later->isEqual(same));
    EXPECT_EQ(later->hash(), same->hash());
    EXPECT_FALSE(now->isEqual(same));
    EXPECT_EQ(NSDate::make(0.0)->hash(), NSDate::make(-0.0)->hash());
}
