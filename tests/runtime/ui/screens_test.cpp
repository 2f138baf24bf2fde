#include "runtime/ui/screens.h"

#include "platform/foundation/ns_string.h"
#include "runtime/ui/application.h"
#include "runtime/ui/screen_coordinates.h"
#include "runtime/ui/wait_event.h"
#include "tests/support/driver_session.h"
#include "tests/support/screens_display.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace rt;

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

} // namespace
