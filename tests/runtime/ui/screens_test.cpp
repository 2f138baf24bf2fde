#include "runtime/ui/screens.h"

#include "platform/foundation/ns_string.h"
#include "runtime/ui/application.h"
#include "runtime/ui/screen_coordinates.h"
#include "runtime/ui/wait_event.h"
#include "tests/support/driver_session.h"
#include "tests/support/screens_display.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

namespace rt {
namespace {

// A screen's box as "left,top widthxheight".
std::string box_text(int64_t index) {
    return std::to_string(ScreenLeft(index)) + "," + std::to_string(ScreenTop(index)) + " " +
           std::to_string(ScreenWidth(index)) + "x" + std::to_string(ScreenHeight(index));
}

// The arithmetic is screen_coordinates'; here the driver's screens and pointer reach it.
TEST(Screens, ReportsDisplaysAndThePointerInTopLeftCoordinates) {
    DriverSession session("screens 1440x900 1920x1080+0-1080\nmouse 10 -5\nadvance 10\n");
    ASSERT_EQ(InitApplication(), 1);
    // Events left from earlier sessions end a wait early; only a timeout has read the script.
    while (WaitEventTimeout(10) != 0) {
    }
    EXPECT_EQ(ScanScreens(), 2);
    // Past the last screen and before the first: an empty box.
    EXPECT_EQ(box_text(0) + " | " + box_text(1) + " | " + box_text(2) + " | " + box_text(-1),
              "0,0 1440x900 | 0,-1080 1920x1080 | 0,0 0x0 | 0,0 0x0");
    EXPECT_EQ(std::tuple(ScreenUnderMouse(), GlobalMouseX(), GlobalMouseY()),
              std::tuple(1, 10, -5));
}

// Finding the display under the pointer read every display's box alone, and each box read all
// the displays: 10,000 screens took over 20 s.
TEST(Screens, UnderMouseReadsTheScreensAsOftenForManyAsForOne) {
    auto reads_for = [](std::size_t count) {
        ScreensDisplay display(std::vector<ScreenRect>(count, ScreenRect{0, 0, 1440, 900}));
        DisplayScope scope(display);
        EXPECT_EQ(ScreenUnderMouse(), static_cast<int64_t>(count) - 1);
        return display.screen_reads;
    };
    EXPECT_EQ(reads_for(500), reads_for(1));
}

TEST(ObjectRecords, ReleaseTheirObjectWhenFreed) {
    ASSERT_EQ(InitObjectRecords(), 1);
    ObjcRef<NSString> text = NSString::make(u"held");
    id* record = object_record_table().allocate(3);
    ASSERT_NE(record, nullptr);
    *record = objc_retain(text.get());
    const NSUInteger held = text->retainCount();
    EndObjectRecords();
    EXPECT_EQ(text->retainCount(), held - 1);
    EXPECT_EQ(object_record_table().lookup(3), nullptr);
}

TEST(ScreenCoordinates, ConvertsFramesPointsAndIndexes) {
    const std::tuple<Rect, double, ScreenBox> boxes[] = {
        {{0, 900, 1920, 1080}, 900, {0, -1080, 1920, 1080}}, // above the main screen
        {{1440, -200.5, 1280, 800.25}, 900, {1440, 300, 1280, 800}},
        {{0, 0, 1440, 900}, 0, {0, -900, 1440, 900}}, // no main screen
    };
    for (const auto& [frame, main_height, expected] : boxes)
        EXPECT_EQ(screen_box(frame, main_height), expected) << frame.x << "," << frame.y;

    const std::vector<Rect> screens{{0, 0, 1440, 900}, {1440, 0, 800, 600}};
    EXPECT_EQ(screen_frame_at(screens, 2, 1), &screens[1]);
    EXPECT_EQ(screen_frame_at(screens, 2, 2), nullptr);
    EXPECT_EQ(screen_frame_at(screens, 2, -1), nullptr);
    EXPECT_EQ(screen_frame_at(screens, 1, 1), nullptr); // beyond the remembered count
    EXPECT_EQ(screen_frame_at({}, 2, 1), nullptr);      // a display that went away

    const std::vector<ScreenBox> displays{{0, 0, 1440, 900}, {1440, 0, 1280, 800}};
    const std::tuple<int64_t, int64_t, int32_t> pointers[] = {
        {100, 100, 0},  {2000, 100, 1}, {1440, 400, 1}, {2720, 800, 1},
        {2721, 800, 0}, {2000, 801, 0}, {0, 900, 0},    {1439, -1, 0}};
    for (const auto& [x, y, expected] : pointers)
        EXPECT_EQ(screen_holding_pointer(displays, x, y), expected) << x << "," << y;
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
