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

// The driver's screens and pointer as the runtime reports them, after one wait that reads them.
TEST(Screens, ReportsDisplaysAndThePointerInTopLeftCoordinates) {
    // Each row: the driver's commands, the screen asked for and its box as "left,top widthxheight",
    // then the screen count, the screen under the pointer and the pointer.
    struct Row {
        const char* commands;
        int64_t index;
        const char* box;
        int64_t count, under_mouse, mouse_x, mouse_y;
    };
    const Row rows[] = {
        {"mouse 300 200\n", 0, "0,0 1440x900", 1, 0, 300, 200},
        {"screens 1440x900 1920x1080+0-1080\nmouse 10 -5\n", 1, "0,-1080 1920x1080", 2, 1, 10, -5},
        {"screens 1440x900 1280x800+1440+100\nmouse 2000 500\n", 1, "1440,100 1280x800", 2, 1, 2000,
         500},
        {"screens 1440x900 1280x800\nmouse 5000 5000\n", 2, "0,0 0x0", 2, 0, 5000, 5000},
        {"mouse 1 2\n", -1, "0,0 0x0", 1, 0, 1, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.commands);
        DriverSession session(std::string(row.commands) + "advance 10\n");
        ASSERT_EQ(InitApplication(), 1);
        // Events left from earlier sessions end a wait early; only a timeout has read the script.
        while (WaitEventTimeout(10) != 0) {
        }
        EXPECT_EQ(ScanScreens(), row.count);
        EXPECT_EQ(std::to_string(ScreenLeft(row.index)) + "," +
                      std::to_string(ScreenTop(row.index)) + " " +
                      std::to_string(ScreenWidth(row.index)) + "x" +
                      std::to_string(ScreenHeight(row.index)),
                  row.box);
        EXPECT_EQ(ScreenUnderMouse(), row.under_mouse);
        EXPECT_EQ(GlobalMouseX(), row.mouse_x);
        EXPECT_EQ(GlobalMouseY(), row.mouse_y);
    }
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
