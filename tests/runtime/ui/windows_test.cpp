#include "runtime/ui/window_records.h"

#include "platform/appkit/ns_application.h"
#include "platform/appkit/ns_window.h"
#include "platform/foundation/ns_array.h"
#include "platform/objc/message_send.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/wait_event.h"
#include "tests/runtime/ui/runtime_window_test.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace rt;

// The queued events as "kind/object/window", taking them.
std::vector<std::string> take_all_events() {
    std::vector<std::string> taken;
    while (TakeEvent() != EventKindNone) {
        const CurrentEvent& event = current_event();
        taken.push_back(std::to_string(event.kind) + "/" + std::to_string(event.object) + "/" +
                        std::to_string(event.window));
    }
    return taken;
}

std::string event_text(int32_t kind, int64_t window) {
    return std::to_string(kind) + "/" + std::to_string(window) + "/" + std::to_string(window);
}

class WindowsTest : public RuntimeWindowTest {
  protected:
    static NSWindow* window(int64_t number) {
        return reinterpret_cast<NSWindow*>(WindowObject(number));
    }
    static void forget_events() { RemoveQueuedEvents(-1, -1, -1, -1); }
};

// Opening centred, its size and its floating level are checked end to end with the preferences.
TEST_F(WindowsTest, MovesResizesAndLowersAWindowKeepingItsTopLeftCorner) {
    ASSERT_NE(NewWindow(1, 0, 0, 320, 290, u"Preferences", 68), 0);
    EXPECT_EQ(
        std::tuple(GetWindowHeight(1, 0), msg_send<BOOL>(window(1)->contentView(), "isFlipped")),
        std::tuple(318, YES));
    ASSERT_EQ(
        SetWindowBounds(1, 10, 20, -65535, 300) + KeepWindowOnTop(1, 1) + KeepWindowOnTop(1, 0), 3);
    EXPECT_EQ(std::tuple(window(1)->frame(), window(1)->level()),
              std::tuple(NSMakeRect(10, 900 - 20 - 328, 322, 328), 0));
}

TEST_F(WindowsTest, AnswersZeroForWindowsThatDoNotExist) {
    EXPECT_EQ(WindowExists(4) + WindowObject(4) + GetWindowWidth(4) + GetWindowHeight(4, 0), 0);
    EXPECT_EQ(KeepWindowOnTop(4, 1) + SetWindowBounds(4, 0, 0, 10, 10), 0);
    DisposeWindow(4);
}

TEST_F(WindowsTest, DisposingOrReopeningClosesTheWindowAndDropsItsEvents) {
    ASSERT_NE(NewWindow(1, 0, 0, 100, 100, u"Old", 4), 0);
    ObjcRef<NSWindow> old = ObjcRef<NSWindow>::retain(window(1));
    ASSERT_NE(NewWindow(1, 0, 0, 200, 100, u"New", 4), 0);
    EXPECT_EQ(std::tuple(old->is_closed(), GetWindowWidth(1)), std::tuple(true, 200));
    ASSERT_NE(NewWindow(2, 0, 0, 100, 100, u"Two", 4), 0);
    ObjcRef<NSWindow> closed = ObjcRef<NSWindow>::retain(window(1));
    forget_events();
    PostAppEvent(EventKindApplicationFirst, 1, 0);
    PostAppEvent(EventKindApplicationFirst, 2, 0);
    DisposeWindow(1);
    EXPECT_TRUE(closed->is_closed());
    EXPECT_EQ(take_all_events(),
              std::vector<std::string>{std::to_string(EventKindApplicationFirst) + "/0/2"});
}

// Which clicks post which events is the window events' arithmetic; here: the close button
// reaches the queue and leaves the window open.
TEST_F(WindowsTest, TheCloseButtonPostsItsEvent) {
    ASSERT_NE(NewWindow(1, 0, 0, 100, 100, u"A", 16), 0);
    NSWindow* target = window(1);
    forget_events();
    target->performClose(nil);
    EXPECT_TRUE(target->isVisible());
    EXPECT_EQ(take_all_events(), std::vector<std::string>{event_text(EventKindCloseWindow, 1)});
}

} // namespace
