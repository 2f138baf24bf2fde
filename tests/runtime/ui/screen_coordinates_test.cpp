#include "runtime/ui/screen_coordinates.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace rt {
namespace {

TEST(ScreenCoordinates, ReportsDisplaysFromTheTopOfTheMainScreen) {
    const struct {
        Rect frame;
        double main_height;
        ScreenBox expected;
    } cases[] = {
        {{0, 0, 1440, 900}, 900, {0, 0, 1440, 900}},
        {{0, 900, 1920, 1080}, 900, {0, -1080, 1920, 1080}}, // above the main screen
        {{1440, -200.5, 1280, 800.25}, 900, {1440, 300, 1280, 800}},
        {{0, 0, 1440, 900}, 0, {0, -900, 1440, 900}}, // no main screen
    };
    for (const auto& c : cases)
        EXPECT_EQ(screen_box(c.frame, c.main_height), c.expected)
            << c.frame.x << "," << c.frame.y << " " << c.frame.width << "x" << c.frame.height;
}

TEST(ScreenCoordinates, AcceptsOnlyIndexesBelowTheRememberedCount) {
    const std::vector<Rect> screens{{0, 0, 1440, 900}, {1440, 0, 800, 600}};
    EXPECT_EQ(screen_frame_at(screens, 2, 1), &screens[1]);
    EXPECT_EQ(screen_frame_at(screens, 2, 5), nullptr);
    EXPECT_EQ(screen_frame_at(screens, 2, -1), nullptr);
    EXPECT_EQ(screen_frame_at(screens, 0, 0), nullptr); // before any scan
    EXPECT_EQ(screen_frame_at({}, 2, 1), nullptr);      // a display that went away
}

TEST(ScreenCoordinates, FindsTheHighestDisplayHoldingThePointer) {
    const std::vector<ScreenBox> displays{{0, 0, 1440, 900}, {1440, 0, 1280, 800}};
    const struct {
        int64_t x, y;
        int32_t expected;
    } cases[] = {{100, 100, 0}, {2000, 100, 1}, {1440, 400, 1}, {3000, 3000, 0}, {0, 900, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(screen_holding_pointer(displays, c.x, c.y), c.expected) << c.x << "," << c.y;
    EXPECT_EQ(screen_holding_pointer({}, 0, 0), -1);
}

TEST(ScreenCoordinates, TruncatesTowardsZeroWithinTheIntegerRange) {
    EXPECT_EQ(truncate_to_points(-0.9), 0);
    EXPECT_EQ(truncate_to_points(-1.5), -1);
    EXPECT_EQ(truncate_to_points(std::nan("")), 0);
    EXPECT_EQ(truncate_to_points(1e30), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(truncate_to_points(-1e30), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(global_mouse_y({10, 899.5}, 900), 0);
    EXPECT_EQ(global_mouse_x({-3.7, 0}), -3);
}

} // namespace
} // namespace rt
