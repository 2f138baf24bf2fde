#include "platform/appkit/ns_window.h"

#include "platform/appkit/ns_application.h"
#include "platform/appkit/ns_screen.h"
#include "platform/display/display_slot.h"
#include "platform/foundation/ns_array.h"
#include "platform/objc/class_registry.h"
#include "platform/objc/message_send.h"
#include "platform/objc/objc.h"
#include "tests/support/rect_text.h"
#include "tests/support/screens_display.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace ns_window_test {

constexpr NSUInteger k_titled = NSWindowStyleMaskTitled;
constexpr NSUInteger k_closable = NSWindowStyleMaskClosable;

std::vector<std::string> g_calls;
BOOL g_should_close = YES;

void record_notification(id, SEL selector, id) {
    g_calls.push_back(sel_getName(selector));
}

BOOL answer_should_close(id, SEL selector, id) {
    g_calls.push_back(sel_getName(selector));
    return g_should_close;
}

// A delegate made at run time that hears every notification and answers every question.
Class full_delegate_class() {
    static Class cls = [] {
        Class made = objc_allocateClassPair(objc_getClass("NSObject"), "TestFullWindowDelegate", 0);
        for (const char* selector : {"windowDidMove:", "windowDidResize:", "windowDidResignKey:",
                                     "windowWillClose:", "windowDidMiniaturize:"})
            class_addMethod(made, sel_registerName(selector),
                            reinterpret_cast<IMP>(&record_notification), "v@:@");
        class_addMethod(made, sel_registerName("windowShouldClose:"),
                        reinterpret_cast<IMP>(&answer_should_close), "c@:@");
        objc_registerClassPair(made);
        return made;
    }();
    return cls;
}

// Owned by the test: not released when closed.
ObjcRef<NSWindow> make_window(NSRect content, NSUInteger style = k_titled | k_closable) {
    id object = NSObject::alloc(objc_getClass("NSWindow"));
    ObjcRef<NSWindow> window = ObjcRef<NSWindow>::adopt(
        msg_send<NSWindow*>(object, "initWithContentRect:styleMask:backing:defer:", content, style,
                            NSUInteger{NSBackingStoreBuffered}, NO));
    window->setReleasedWhenClosed(NO);
    return window;
}

class NSWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_app = NSApplication::sharedApplication(nil);
        g_calls.clear();
        g_should_close = YES;
    }
    ObjcRef<NSWindow> delegated_window(NSRect content, NSUInteger style = k_titled | k_closable,
                                       Class delegate_class = full_delegate_class()) {
        ObjcRef<NSWindow> window = make_window(content, style);
        m_delegates.push_back(ObjcRef<>::adopt(msg_send<id>(delegate_class, "new")));
        window->setDelegate(m_delegates.back().get());
        return window;
    }

    AutoreleasePoolScope m_pool;
    NSApplication* m_app = nullptr;
    std::vector<ObjcRef<>> m_delegates;
};

TEST_F(NSWindowTest, FrameAddsTheTitleBarAndSideBordersOfATitledWindow) {
    struct Case {
        NSUInteger style;
        NSRect content, frame;
    };
    const Case cases[] = {
        {k_titled, NSMakeRect(100, 200, 300, 150), NSMakeRect(99, 200, 302, 178)},
        {NSWindowStyleMaskBorderless, NSMakeRect(100, 200, 300, 150),
         NSMakeRect(100, 200, 300, 150)},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(rect_text(test.frame));
        EXPECT_EQ(msg_send<NSRect>(objc_getClass("NSWindow"),
                                   "frameRectForContentRect:styleMask:", test.content, test.style),
                  test.frame);
        ObjcRef<NSWindow> window = make_window(test.content, test.style);
        EXPECT_EQ(window->frame(), test.frame);
        EXPECT_EQ(window->contentRectForFrameRect(test.frame), test.content);
        EXPECT_EQ(window->contentView()->frame(),
                  NSMakeRect(0, 0, test.content.size.width, test.content.size.height));
        EXPECT_EQ(window->standardWindowButton(0) != nil, (test.style & k_titled) != 0);
        EXPECT_NE(window->windowNumber(), make_window(test.content)->windowNumber());
    }
}

TEST_F(NSWindowTest, SettingTheFrameReportsResizeThenMove) {
    const struct {
        NSRect frame;
        std::vector<std::string> calls;
    } cases[] = {
        {NSMakeRect(30, 20, 102, 78), {"windowDidMove:"}},
        {NSMakeRect(0, 0, 52, 48), {"windowDidResize:", "windowDidMove:"}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(rect_text(test.frame));
        ObjcRef<NSWindow> window = delegated_window(NSMakeRect(11, 20, 100, 50));
        g_calls.clear();
        msg_send<void>(window.get(), "setFrame:display:", test.frame, YES);
        EXPECT_EQ(g_calls, test.calls);
        EXPECT_EQ(window->contentView()->frame().size,
                  window->contentRectForFrameRect(test.frame).size);
    }
}

TEST_F(NSWindowTest, PerformCloseAsksTheDelegateAndNeedsACloseButton) {
    const struct {
        const char* name;
        NSUInteger style;
        bool full_delegate;
        BOOL answer;
        std::vector<std::string> calls;
        BOOL visible_after;
    } cases[] = {
        {"agrees",
         k_titled | k_closable,
         true,
         YES,
         {"windowShouldClose:", "windowWillClose:", "windowDidResignKey:"},
         NO},
        {"refuses", k_titled | k_closable, true, NO, {"windowShouldClose:"}, YES},
        {"no close button", k_titled, true, YES, {}, YES},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        ObjcRef<NSWindow> other = make_window(NSMakeRect(0, 0, 100, 100));
        other->makeKeyAndOrderFront(nil);
        ObjcRef<NSWindow> window = delegated_window(NSMakeRect(0, 0, 100, 100), test.style,
                                                    test.full_delegate ? full_delegate_class()
                                                                       : objc_getClass("NSObject"));
        window->makeKeyAndOrderFront(nil);
        g_should_close = test.answer;
        g_calls.clear();
        msg_send<void>(window.get(), "performClose:", nil);
        EXPECT_EQ(g_calls, test.calls);
        EXPECT_EQ(window->isVisible(), test.visible_after);
        if (test.visible_after) continue;
        EXPECT_EQ(m_app->keyWindow(), nil) << "no other window becomes key";
        EXPECT_EQ(m_app->windows()->indexOfObject(window.get()), NSNotFound);
        g_calls.clear();
        window->close();
        EXPECT_TRUE(g_calls.empty()) << "a second close does nothing";
    }
}

TEST_F(NSWindowTest, ItsSnapshotSaysWhetherItIsTheKeyWindow) {
    ObjcRef<NSWindow> key = make_window(NSMakeRect(0, 0, 100, 50));
    ObjcRef<NSWindow> other = make_window(NSMakeRect(0, 0, 100, 50));
    other->makeKeyAndOrderFront(nil);
    key->makeKeyAndOrderFront(nil);
    EXPECT_EQ(std::pair(key->display_snapshot(900).key, other->display_snapshot(900).key),
              std::pair(true, false));
    key->close();
    other->close();
}

// Screens 0 and 1 with a gap between them: a window is on the screen that holds its centre, else
// on the one it overlaps most (the first of two alike), else on the main screen.
TEST_F(NSWindowTest, IsOnTheScreenHoldingItsCentreElseTheOneItOverlapsMost) {
    ScreensDisplay display({{0, 0, 1000, 800}, {1200, 0, 1000, 800}});
    DisplayScope scope(display);
    const std::pair<NSRect, double> rows[] = {
        {NSMakeRect(1500, 100, 200, 100), 1200}, {NSMakeRect(900, 100, 500, 100), 1200},
        {NSMakeRect(700, 100, 600, 100), 0},     {NSMakeRect(-300, 700, 400, 200), 0},
        {NSMakeRect(5000, 100, 200, 100), 0},    {NSMakeRect(900, 100, 400, 100), 0}};
    for (const auto& [frame, screen_left] : rows) {
        SCOPED_TRACE(rect_text(frame));
        ObjcRef<NSWindow> window = make_window(NSMakeRect(0, 0, 10, 10));
        window->setFrameDisplay(frame, NO);
        ASSERT_NE(window->screen(), nullptr);
        EXPECT_EQ(window->screen()->frame().origin.x, screen_left);
    }
}

} // namespace ns_window_test
