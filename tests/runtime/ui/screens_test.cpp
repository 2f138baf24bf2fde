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

// Runs the driver script's screen and pointer commands through one wait, then scans.
class ScreensTest : public testing::Test {
  protected:
    void run_script(const std::string& commands) {
        m_session.emplace(commands + "advance 10\n");
        ASSERT_EQ(InitApplication(), 1);
        // Events left from earlier sessions end a wait early; only a timeout has read the script.
        while (WaitEventTimeout(10) != 0) {
        }
        ScanScreens();
    }

    std::optional<DriverSession> m_session;
};

struct ScreenCase {
    const char* name;
    const char* screens;
    int64_t index;
    ScreenBox expected;
};

TEST_F(ScreensTest, ReportsEachDisplayInTopLeftCoordinates) {
    const ScreenCase cases[] = {
        {"one display", "", 0, {0, 0, 1440, 900}},
        {"display above the main one",
         "screens 1440x900 1920x1080+0-1080\n",
         1,
         {0, -1080, 1920, 1080}},
        {"display to the right, lower",
         "screens 1440x900 1280x800+1440+100\n",
         1,
         {1440, 100, 1280, 800}},
        {"index past the count", "screens 1440x900 1280x800\n", 5, {0, 0, 0, 0}},
        {"negative index", "", -1, {0, 0, 0, 0}},
    };
    for (const ScreenCase& c : cases) {
        run_script(c.screens);
        ScreenBox box{ScreenLeft(c.index), ScreenTop(c.index), ScreenWidth(c.index),
                      ScreenHeight(c.index)};
        EXPECT_EQ(box, c.expected) << c.name << ": got " << box.left << "," << box.top << " "
                                   << box.width << "x" << box.height;
    }
}

TEST_F(ScreensTest, CountsTheDisplays) {
    run_script("screens 1440x900 1920x1080 1280x800\n");
    EXPECT_EQ(ScanScreens(), 3);
}

TEST_F(ScreensTest, MeasuresThePointerFromTheTopOfTheMainScreen) {
    run_script("mouse 300 200\n");
    EXPECT_EQ(GlobalMouseX(), 300);
    EXPECT_EQ(GlobalMouseY(), 200);
}

TEST_F(ScreensTest, FindsTheDisplayUnderThePointer) {
    struct Case {
        const char* commands;
        int64_t expected;
    } cases[] = {
        {"screens 1440x900 1920x1080\nmouse 2000 500\n", 1},
        {"screens 1440x900 1920x1080\nmouse 100 100\n", 0},
        {"screens 1440x900 1920x1080\nmouse 1440 100\n", 1}, // the shared edge
        {"screens 1440x900\nmouse 5000 5000\n", 0},          // outside every display
    };
    for (const Case& c : cases) {
        run_script(c.commands);
        EXPECT_EQ(ScreenUnderMouse(), c.expected) << c.commands;
    }
}

// Finding the display under the pointer read every display's box alone, and each box read all
// the displays: 10,000 screens took over 20 s.
TEST(ScreenUnderMouse, ReadsTheScreensAsOftenForManyAsForOne) {
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
    auto* record = static_cast<id*>(AllocateObject(object_record_table(), 3));
    ASSERT_NE(record, nullptr);
    *record = objc_retain(text.get());
    const NSUInteger held = text->retainCount();
    EndObjectRecords();
    EXPECT_EQ(text->retainCount(), held - 1);
    EXPECT_EQ(LookupObject(object_record_table(), 3), nullptr);
}

} // namespace
