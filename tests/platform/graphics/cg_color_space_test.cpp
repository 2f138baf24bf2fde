#include "platform/graphics/cg_color_space.h"

#include <gtest/gtest.h>

TEST(CGColorSpace, DeviceRGBHasThreeComponentsOfTheRGBModel) {
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    ASSERT_NE(space, nullptr);
    EXPECT_EQ(CGColorSpaceGetNumberOfComponents(space), 3u);
    EXPECT_EQ(CGColorSpaceGetModel(space), kCGColorSpaceModelRGB);
    CGColorSpaceRelease(space);
}

// Each retain needs its own release; the sanitizer build reports a space freed too early or never.
TEST(CGColorSpace, LivesUntilItsLastReferenceIsReleased) {
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    ASSERT_EQ(CGColorSpaceRetain(space), space);
    CGColorSpaceRelease(space);
    EXPECT_EQ(CGColorSpaceGetNumberOfComponents(space), 3u);
    CGColorSpaceRelease(space);
}

TEST(CGColorSpace, NullIsAcceptedEverywhere) {
    EXPECT_EQ(CGColorSpaceRetain(nullptr), nullptr);
    CGColorSpaceRelease(nullptr);
    EXPECT_EQ(CGColorSpaceGetNumberOfComponents(nullptr), 0u);
    EXPECT_EQ(CGColorSpaceGetModel(nullptr), kCGColorSpaceModelUnknown);
}
