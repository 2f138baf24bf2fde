#include "platform/appkit/ns_window.h"

#include "platform/appkit/ns_application.h"
#include "platform/foundation/ns_array.h"
#include "platform/foundation/ns_notification.h"
#include "platform/foundation/ns_notification_center.h"
#include "platform/objc/class_registry.h"
#include "platform/objc/message_send.h"
#include "platform/objc/objc.h"
#include "tests/platform/foundation/timer_test_support.h"
#include "tests/support/rect_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ns_window_test {

constexpr NSUInteger k_titled = NSWindowStyleMaskTitled;
constexpr NSUInteger k_closable = NSWindowStyleMaskClosable;
constexpr NSUInteger k_resizable = NSWindowStyleMaskResizable;
constexpr const char* k_rect = "{CGRect={CGPoint=dd}{CGSize=dd}}";

// What delegates, observers and views made below heard, in order.
std::vector<std::string> g_calls;
BOOL g_should_close = YES;
BOOL g_should_zoom = YES;
std::vector<NSRect> g_zoom_frames;

void record_notification(id, SEL selector, id) {
    g_calls.push_back(sel_getName(selector));
}

BOOL answer_should_close(id, SEL selector, id) {
    g_calls.push_back(sel_getName(selector));
    return g_should_close;
}

BOOL answer_should_zoom(id, SEL selector, id, NSRect frame) {
    g_calls.push_back(sel_getName(selector));
    g_zoom_frames.push_back(frame);
    return g_should_zoom;
}

BOOL answer_yes_to_window(id, SEL) {
    return YES;
}

const char* const k_notification_selectors[] = {
    "windowDidMove:",        "windowDidResize:", "windowDidBecomeKey:", "windowDidResignKey:",
    "windowDidMiniaturize:", "windowWillClose:", "windowDidUpdate:",
};

Class make_class(const char* name, const char* superclass) {
    return objc_allocateClassPair(objc_getClass(superclass), name, 0);
}

// A delegate made at run time that hears every notification and answers every question.
Class full_delegate_class() {
    static Class cls = [] {
        Class made = make_class("TestFullWindowDelegate", "NSObject");
        for (const char* selector : k_notification_selectors)
            class_addMethod(made, sel_registerName(selector),
                            reinterpret_cast<IMP>(&record_notification), "v@:@");
        class_addMethod(made, sel_registerName("windowShouldClose:"),
                        reinterpret_cast<IMP>(&answer_should_close), "c@:@");
        class_addMethod(made, sel_registerName("windowShouldZoom:toFrame:"),
                        reinterpret_cast<IMP>(&answer_should_zoom),
                        (std::string("c@:@") + k_rect).c_str());
        objc_registerClassPair(made);
        return made;
    }();
    return cls;
}

// A borderless window that may still become key, decided by its class as the runtime's are.
Class keyable_window_class() {
    static Class cls = [] {
        Class made = make_class("TestKeyableWindow", "NSWindow");
        class_addMethod(made, sel_registerName("canBecomeKeyWindow"),
                        reinterpret_cast<IMP>(&answer_yes_to_window), "c@:");
        objc_registerClassPair(made);
        return made;
    }();
    return cls;
}

ObjcRef<> make_object(Class cls) {
    return ObjcRef<>::adopt(msg_send<id>(cls, "new"));
}

// Owned by the test: not released when closed.
ObjcRef<NSWindow> make_window(NSRect content, NSUInteger style = k_titled | k_closable,
                              Class cls = nil) {
    id object = NSObject::alloc(cls ? cls : objc_getClass("NSWindow"));
    ObjcRef<NSWindow> window = ObjcRef<NSWindow>::adopt(
        msg_send<NSWindow*>(object, "initWithContentRect:styleMask:backing:defer:", content, style,
                            NSUInteger{NSBackingStoreBuffered}, NO));
    if (window) window->setReleasedWhenClosed(NO);
    return window;
}

std::string calls_text() {
    std::string text;
    for (const std::string& call : g_calls)
        text += call + "; ";
    return text;
}

class NSWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_app = NSApplication::sharedApplication(nil);
        g_calls.clear();
        g_zoom_frames.clear();
        g_should_close = YES;
        g_should_zoom = YES;
    }
    void TearDown() override {
        if (m_observer) NSNotificationCenter::defaultCenter(nil)->removeObserver(m_observer.get());
    }
    // Records the window's notifications on the default center as "posted <name>".
    void observe(NSWindow* window) {
        if (!m_observer) {
            m_observer = make_recorder();
            m_observer->on_action = [](id notification) {
                g_calls.push_back("posted " +
                                  static_cast<NSNotification*>(notification)->name()->utf8());
            };
        }
        NSNotificationCenter::defaultCenter(nil)->addObserver(
            m_observer.get(), sel_registerName("noted:"), nil, window);
    }

    AutoreleasePoolScope m_pool;
    NSApplication* m_app = nullptr;
    ObjcRef<ActionRecorder> m_observer;
};

TEST_F(NSWindowTest, FrameAddsTheTitleBarAndSideBordersOfATitledWindow) {
    struct Case {
        NSUInteger style;
        NSRect content;
        NSRect frame;
    };
    const Case cases[] = {
        {k_titled, NSMakeRect(100, 200, 300, 150), NSMakeRect(99, 200, 302, 178)},
        {k_titled | k_closable | k_resizable, NSMakeRect(0, 0, 10, 0), NSMakeRect(-1, 0, 12, 28)},
        {NSWindowStyleMaskBorderless, NSMakeRect(100, 200, 300, 150),
         NSMakeRect(100, 200, 300, 150)},
        {k_closable | k_resizable, NSMakeRect(5, 6, 7, 8), NSMakeRect(5, 6, 7, 8)},
    };
    for (const Case& test : cases) {
        const NSRect frame =
            msg_send<NSRect>(objc_getClass("NSWindow"),
                             "frameRectForContentRect:styleMask:", test.content, test.style);
        EXPECT_EQ(frame, test.frame) << "style " << test.style << ": got " << rect_text(frame)
                                     << ", expected " << rect_text(test.frame);
        ObjcRef<NSWindow> window = make_window(test.content, test.style);
        EXPECT_EQ(window->frame(), test.frame) << "style " << test.style;
        EXPECT_EQ(msg_send<NSRect>(window.get(), "contentRectForFrameRect:", test.frame),
                  test.content)
            << "style " << test.style;
        EXPECT_EQ(window->contentView()->frame(),
                  NSMakeRect(0, 0, test.content.size.width, test.content.size.height));
    }
}

TEST_F(NSWindowTest, SettingTheFrameReportsResizeThenMove) {
    struct Case {
        NSRect frame;
        std::vector<std::string> calls;
    };
    const NSRect start = NSMakeRect(10, 20, 102, 78);
    const Case cases[] = {
        {start, {}},
        {NSMakeRect(30, 20, 102, 78), {"windowDidMove:", "posted NSWindowDidMoveNotification"}},
        {NSMakeRect(10, 20, 202, 128),
         {"windowDidResize:", "posted NSWindowDidResizeNotification"}},
        {NSMakeRect(0, 0, 52, 48),
         {"windowDidResize:", "posted NSWindowDidResizeNotification",
          "windowDidMove:", "posted NSWindowDidMoveNotification"}},
    };
    for (const Case& test : cases) {
        ObjcRef<NSWindow> window = make_window(NSMakeRect(11, 20, 100, 50));
        ASSERT_EQ(window->frame(), start);
        ObjcRef<> delegate = make_object(full_delegate_class());
        window->setDelegate(delegate.get());
        observe(window.get());
        g_calls.clear();
        msg_send<void>(window.get(), "setFrame:display:", test.frame, YES);
        EXPECT_EQ(g_calls, test.calls) << rect_text(test.frame) << ": " << calls_text();
        EXPECT_EQ(window->contentView()->frame().size,
                  window->contentRectForFrameRect(test.frame).size);
        NSNotificationCenter::defaultCenter(nil)->removeObserver(m_observer.get());
    }
}

TEST_F(NSWindowTest, OnlyVisibleWindowsThatMayBecomeKeyDo) {
    struct Case {
        const char* name;
        NSUInteger style;
        Class cls;
        bool order_front;
        BOOL key;
    };
    const Case cases[] = {
        {"titled and visible", k_titled, nil, true, YES},
        {"titled but not ordered in", k_titled, nil, false, NO},
        {"borderless", NSWindowStyleMaskBorderless, nil, true, NO},
        {"borderless whose class says yes", NSWindowStyleMaskBorderless, keyable_window_class(),
         true, YES},
    };
    for (const Case& test : cases) {
        ObjcRef<NSWindow> window = make_window(NSMakeRect(0, 0, 100, 100), test.style, test.cls);
        if (test.order_front) window->orderFront(nil);
        msg_send<void>(window.get(), "makeKeyWindow");
        EXPECT_EQ(window->isKeyWindow(), test.key) << test.name;
        EXPECT_EQ(window->isVisible(), test.order_front ? YES : NO) << test.name;
    }
}

TEST_F(NSWindowTest, ClosingLeavesTheApplicationAndNoOtherWindowBecomesKey) {
    ObjcRef<NSWindow> other = make_window(NSMakeRect(0, 0, 100, 100));
    ObjcRef<NSWindow> window = make_window(NSMakeRect(0, 0, 100, 100));
    other->makeKeyAndOrderFront(nil);
    window->makeKeyAndOrderFront(nil);
    ObjcRef<> delegate = make_object(full_delegate_class());
    window->setDelegate(delegate.get());
    g_calls.clear();
    msg_send<void>(window.get(), "close");
    EXPECT_EQ(g_calls, (std::vector<std::string>{"windowWillClose:", "windowDidResignKey:"}));
    EXPECT_EQ(window->isVisible(), NO);
    EXPECT_EQ(m_app->keyWindow(), nil);
    EXPECT_EQ(m_app->windows()->indexOfObject(window.get()), NSNotFound);
    EXPECT_NE(m_app->windows()->indexOfObject(other.get()), NSNotFound);
    g_calls.clear();
    window->close();
    EXPECT_TRUE(g_calls.empty()) << "a second close does nothing: " << calls_text();
}

TEST_F(NSWindowTest, ClosingGivesUpTheOwnersReferenceOnlyWhenReleasedWhenClosed) {
    for (BOOL released : {YES, NO}) {
        ObjcRef<NSWindow> window = make_window(NSMakeRect(0, 0, 100, 100));
        window->setReleasedWhenClosed(released);
        ObjcRef<NSWindow> owner_reference = window;
        ASSERT_EQ(window->retainCount(), 2u);
        {
            AutoreleasePoolScope pool;
            window->close();
        }
        EXPECT_EQ(window->retainCount(), released ? 1u : 2u)
            << "released when closed " << +released;
        if (released) (void)owner_reference.take(); // close gave this reference up
    }
}

TEST_F(NSWindowTest, PerformCloseAsksTheDelegateAndNeedsACloseButton) {
    struct Case {
        const char* name;
        NSUInteger style;
        bool full_delegate;
        BOOL answer;
        std::vector<std::string> calls;
        BOOL visible_after;
    };
    const Case cases[] = {
        {"delegate agrees",
         k_titled | k_closable,
         true,
         YES,
         {"windowShouldClose:", "windowWillClose:", "windowDidResignKey:"},
         NO},
        {"delegate refuses", k_titled | k_closable, true, NO, {"windowShouldClose:"}, YES},
        {"delegate not asked when it cannot answer", k_titled | k_closable, false, NO, {}, NO},
        {"no close button", k_titled, true, YES, {}, YES},
    };
    for (const Case& test : cases) {
        ObjcRef<NSWindow> window = make_window(NSMakeRect(0, 0, 100, 100), test.style);
        window->makeKeyAndOrderFront(nil);
        ObjcRef<> delegate =
            make_object(test.full_delegate ? full_delegate_class() : objc_getClass("NSObject"));
        window->setDelegate(delegate.get());
        g_should_close = test.answer;
        g_calls.clear();
        msg_send<void>(window.get(), "performClose:", nil);
        EXPECT_EQ(g_calls, test.calls) << test.name << ": " << calls_text();
        EXPECT_EQ(window->isVisible(), test.visible_after) << test.name;
    }
}

TEST_F(NSWindowTest, ZoomTogglesBetweenTheUserFrameAndTheVisibleFrame) {
    const NSRect user = NSMakeRect(100, 100, 302, 228);
    const NSRect standard = NSMakeRect(0, 0, 1440, 900 - 24);
    ObjcRef<NSWindow> window = make_window(NSMakeRect(101, 100, 300, 200));
    ObjcRef<> delegate = make_object(full_delegate_class());
    window->setDelegate(delegate.get());

    msg_send<void>(window.get(), "zoom:", nil);
    EXPECT_EQ(window->frame(), standard) << rect_text(window->frame());
    EXPECT_EQ(window->isZoomed(), YES);
    msg_send<void>(window.get(), "zoom:", nil);
    EXPECT_EQ(window->frame(), user) << rect_text(window->frame());
    EXPECT_EQ(window->isZoomed(), NO);
    EXPECT_EQ(g_zoom_frames, (std::vector<NSRect>{standard, user}));
    EXPECT_EQ(g_calls, (std::vector<std::string>{
                           "windowShouldZoom:toFrame:", "windowDidResize:", "windowDidMove:",
                           "windowShouldZoom:toFrame:", "windowDidResize:", "windowDidMove:"}));

    g_should_zoom = NO;
    window->zoom(nil);
    EXPECT_EQ(window->frame(), user) << "the delegate refused";

    g_should_zoom = YES;
    window->zoom(nil);
    window->setFrameDisplay(NSMakeRect(1, 1, 1440, 876), YES);
    EXPECT_EQ(window->isZoomed(), NO) << "moved away from the zoomed frame";
}

TEST_F(NSWindowTest, MiniaturizingHidesTheWindowAndTakesAwayKeyStatus) {
    ObjcRef<NSWindow> window = make_window(NSMakeRect(0, 0, 100, 100));
    ObjcRef<> delegate = make_object(full_delegate_class());
    window->setDelegate(delegate.get());
    window->makeKeyAndOrderFront(nil);
    g_calls.clear();
    msg_send<void>(window.get(), "miniaturize:", nil);
    EXPECT_EQ(window->isVisible(), NO);
    EXPECT_EQ(window->isMiniaturized(), YES);
    EXPECT_EQ(window->isKeyWindow(), NO);
    window->miniaturize(nil);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"windowDidResignKey:", "windowDidMiniaturize:"}));
}

TEST_F(NSWindowTest, StandardButtonsFollowTheStyleAndPressTheWindow) {
    ObjcRef<NSWindow> borderless = make_window(NSMakeRect(0, 0, 10, 10), 0);
    EXPECT_EQ(borderless->standardWindowButton(NSWindowCloseButton), nil);

    ObjcRef<NSWindow> window = make_window(NSMakeRect(0, 0, 10, 10), k_titled | k_closable);
    window->makeKeyAndOrderFront(nil);
    NSButton* close =
        msg_send<NSButton*>(window.get(), "standardWindowButton:", NSUInteger{NSWindowCloseButton});
    NSButton* zoom = window->standardWindowButton(NSWindowZoomButton);
    ASSERT_NE(close, nil);
    ASSERT_NE(zoom, nil);
    EXPECT_EQ(close->isEnabled(), YES);
    EXPECT_EQ(zoom->isEnabled(), NO);
    EXPECT_EQ(window->standardWindowButton(3), nil);
    close->performClick(nil);
    EXPECT_EQ(window->isVisible(), NO) << "the close button closes the window";
}

TEST_F(NSWindowTest, ChildWindowsFollowTheirParentAndCannotFormACycle) {
    ObjcRef<NSWindow> parent = make_window(NSMakeRect(0, 0, 10, 10));
    ObjcRef<NSWindow> child = make_window(NSMakeRect(0, 0, 10, 10));
    ObjcRef<NSWindow> other_parent = make_window(NSMakeRect(0, 0, 10, 10));
    parent->addChildWindowOrdered(child.get(), NSWindowAbove);
    child->addChildWindowOrdered(parent.get(), NSWindowAbove);
    EXPECT_EQ(parent->parentWindow(), nil);
    other_parent->addChildWindowOrdered(child.get(), NSWindowAbove);
    EXPECT_EQ(child->parentWindow(), other_parent.get());
    parent->removeChildWindow(child.get());
    EXPECT_EQ(child->parentWindow(), other_parent.get()) << "only the parent lets go";
    other_parent.reset();
    EXPECT_EQ(child->parentWindow(), nil) << "a parent going away lets go of its children";
}

} // namespace ns_window_test
