#include "platform/foundation/clock.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

class FixedClock : public PlatformClock {
  public:
    double now() const override { return 42.0; }
};

} // namespace

TEST(PlatformClock, UsesTheInstalledClockUntilItIsRemoved) {
    double before = static_cast<double>(std::time(nullptr));
    EXPECT_GE(platform_now(), before);
    EXPECT_LT(platform_now(), before + 60);

    FixedClock fixed;
    PlatformClock* previous = set_platform_clock(&fixed);
    EXPECT_EQ(platform_now(), 42.0);
    EXPECT_EQ(set_platform_clock(previous), &fixed);
    EXPECT_GE(platform_now(), before);
}
