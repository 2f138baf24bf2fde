#include "runtime/ui/screen_coordinates.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace rt {
namespace {

TEST(ScreenCoordinates, ConvertsFramesPointsAndIndexes) {
    const struct {
        Rect frame;
        double main_height;
        ScreenBox expected;
    } boxes[] = {
        {{0, 900, 1920, 1080}, 900, {0, -1080, 1920, 1080}}, // above the main screen
        {{1440, -200.5, 1280, 800.25}, 900, {1440, 300, 1280, 800}},
        {{0, 0, 1440, 900}, 0, {0, -900, 1440, 900}}, // no main screen
    };
    for (const auto& c : boxes)
        EXPECT_EQ(screen_box(c.frame, c.main_height), c.expected) << c.frame.x << "," << c.frame.y;

    const std::vector<Rect> screens{{0, 0, 1440, 900}, {1440, 0, 800, 600}};
    EXPECT_EQ(screen_frame_at(screens, 2, 1), &screens[1]);
    EXPECT_EQ(screen_frame_at(screens, 2, 2), nullptr);
    EXPECT_EQ(screen_frame_at(screens, 2, -1), nullptr);
    EXPECT_EQ(screen_frame_at(screens, 1, 1), nullptr); // beyond the remembered count
    EXPECT_EQ(screen_frame_at({}, 2, 1), nullptr);      // a display that went away

    const std::vector<ScreenBox> displays{{0, 0, 1440, 900}, {1440, 0, 1280, 800}};
    const struct {
        int64_t x, y;
        int32_t expected;
    } pointers[] = {{100, 100, 0},  {2000, 100, 1}, {1440, 400, 1}, {2720, 800, 1},
                    {2721, 800, 0}, {2000, 801, 0}, {0, 900, 0},    {1439, -1, 0}};
    for (const auto& c : pointers)
        EXPECT_EQ(screen_holding_pointer(displays, c.x, c.y), c.expected) << c.x << "," << c.y;
    EXPECT_EQ(screen_holding_pointer({}, 0, 0), -1);

    constexpr int64_t max = std::numeric_limits<int64_t>::max();
    constexpr int64_t min = std::numeric_limits<int64_t>::min();
    const std::pair<double, int64_t> truncations[] = {{-0.9, 0},
                                                      {-1.5, -1},
                                                      {std::nan(""), 0},
                                                      {9223372036854775808.0, max},
                                                      {9223372036854774784.0, 9223372036854774784},
                                                      {-9223372036854775808.0, min},
                                                      {-1e30, min}};
    for (const auto& [value, expected] : truncations)
        EXPECT_EQ(truncate_to_points(value), expected) << value;
    EXPECT_EQ(global_mouse_y({10, 899.5}, 900), 0);
    EXPECT_EQ(global_mouse_x({-3.7, 0}), -3);
}

} // namespace
} // namespace rt
