#include "runtime/ui/windows.h"

#include "platform/appkit/ns_application.h"
#include "platform/appkit/ns_event.h"
#include "platform/appkit/ns_window.h"
#include "platform/display/display_slot.h"
#include "platform/display/driver/driver_display.h"
#include "platform/foundation/ns_array.h"
#include "platform/objc/autorelease_pool.h"
#include "platform/objc/message_send.h"
#include "runtime/ui/application.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/native/kx_window_output_view.h"
#include "runtime/ui/wait_event.h"
#include "runtime/ui/window_events.h"

#include "tests/runtime/ui/runtime_window_test.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace rt;

struct TakenEvent {
    int32_t kind;
    int64_t object;
    int64_t window;
    bool operator==(const TakenEvent&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TakenEvent& event) {
    return out << "{kind " << event.kind << ", object " << event.object << ", window "
               << event.window << "}";
}

std::vector<TakenEvent> take_all_events() {
    std::vector<TakenEvent> taken;
    while (TakeEvent() != EventKindNone) {
        const CurrentEvent& event = current_event();
        taken.push_back({event.kind, event.object, event.window});
    }
    return taken;
}

bool contains_kind(const std::vector<TakenEvent>& events, int32_t kind) {
    for (const TakenEvent& event : events)
        if (event.kind == kind) return true;
    return false;
}

// The application, the queue and the window table over a driver display that reads `script`.
class WindowsTest : public RuntimeWindowTest {
  protected:
    static NSWindow* window(int64_t number) {
        return reinterpret_cast<NSWindow*>(WindowObject(number));
    }
    static NSRect frame(int64_t number) { return window(number)->frame(); }
    static NSWindow* key_window() { return NSApp->keyWindow(); }
    // Drops what opening windows posted, so that a test sees only what it caused.
    static void forget_events() { RemoveQueuedEvents(-1, -1, -1, -1); }
    // The next runtime event other than a repaint (showing the window draws it); passes that only
    // handled native events (-1) are skipped.
    int32_t wait_for_runtime_event() {
        for (int pass = 0; pass < 100; ++pass) {
            const int32_t kind = WaitEvent();
            if ((kind > 0 && kind != EventKindRepaint) || m_exited) return kind;
        }
        return -1;
    }
};

TEST_F(WindowsTest, OpensThePreferencesWindowCentredKeyAndInFront) {
    const int64_t native = NewWindow(1, 0, 0, 320, 290, u"Preferences", 68);
    ASSERT_NE(native, 0);
    EXPECT_EQ(native, WindowObject(1));
    EXPECT_EQ(WindowExists(1), 1);
    NSWindow* preferences = window(1);
    EXPECT_EQ(preferences->styleMask(), WindowStyleTitled | WindowStyleClosable);
    EXPECT_EQ(GetWindowWidth(1), 320);
    EXPECT_EQ(GetWindowHeight(1), 290);
    EXPECT_EQ(GetWindowWidth(1, 0), 322);
    EXPECT_EQ(GetWindowHeight(1, 0), 318);
    // A frame of 322 × 318 centred on 1440 × 900.
    EXPECT_EQ(preferences->frame(), NSMakeRect(559, 291, 322, 318));
    EXPECT_TRUE(preferences->isVisible());
    EXPECT_EQ(key_window(), preferences);
    EXPECT_TRUE(msg_send<BOOL>(preferences->contentView(), "isFlipped"));

    const std::string written = written_lines();
    EXPECT_NE(written.find(R"({"event":"window","t":0,"number":1,"title":"Preferences",)"
                           R"("x":560,"y":319,"width":320,"height":290,"visible":true,)"
                           R"("key":true,"level":"normal","controls":[]})"),
              std::string::npos)
        << written;
}

TEST_F(WindowsTest, GivesTheNativeWindowTheStyleOfItsFlags) {
    struct Case {
        int32_t flags;
        uint64_t style;
    };
    const Case cases[] = {
        {0, WindowStyleTitled},
        {4, WindowStyleTitled | WindowStyleClosable},
        {16, WindowStyleTitled | WindowStyleClosable | WindowStyleResizable},
        {32, WindowStyleTitled | WindowStyleClosable | WindowStyleMiniaturizable},
        {128 | 2, WindowStyleResizable},
        {128 | 4, WindowStyleBorderless},
    };
    for (const Case& c : cases) {
        ASSERT_NE(NewWindow(3, 10, 10, 100, 50, nullptr, c.flags), 0) << "flags " << c.flags;
        EXPECT_EQ(window(3)->styleMask(), c.style) << "flags " << c.flags;
        EXPECT_EQ(GetWindowWidth(3), 100) << "flags " << c.flags;
        EXPECT_EQ(GetWindowHeight(3), 50) << "flags " << c.flags;
    }
}

TEST_F(WindowsTest, PlacesTheFrameTopLeftAtTheGivenPositionOrCentresWithoutOne) {
    struct Case {
        int32_t x;
        int32_t y;
        NSRect frame;
    };
    // 200 × 100 inside, 202 × 128 titled; the screen is 1440 × 900.
    const Case cases[] = {
        {100, 50, NSMakeRect(99, 722, 202, 128)},
        {-65535, 50, NSMakeRect(619, 386, 202, 128)},
        {100, -65535, NSMakeRect(619, 386, 202, 128)},
    };
    for (const Case& c : cases) {
        ASSERT_NE(NewWindow(2, c.x, c.y, 200, 100, u"", 4), 0);
        EXPECT_EQ(frame(2), c.frame) << "x " << c.x << " y " << c.y;
    }
}

TEST_F(WindowsTest, SetWindowBoundsKeepsWhatIsNotGiven) {
    ASSERT_NE(NewWindow(1, 100, 50, 200, 100, u"", 4), 0);
    const NSRect before = frame(1);
    ASSERT_EQ(SetWindowBounds(1, -65535, -65535, 400, -65535), 1);
    const NSRect widened = frame(1);
    EXPECT_EQ(GetWindowWidth(1), 400);
    EXPECT_EQ(GetWindowHeight(1), 100);
    EXPECT_EQ(widened.origin.x, before.origin.x);
    EXPECT_EQ(widened.origin.y + widened.size.height, before.origin.y + before.size.height);

    ASSERT_EQ(SetWindowBounds(1, -65535, -65535, -65535, 300), 1);
    const NSRect taller = frame(1);
    EXPECT_EQ(GetWindowHeight(1), 300);
    EXPECT_EQ(taller.origin.y + taller.size.height, before.origin.y + before.size.height);

    ASSERT_EQ(SetWindowBounds(1, 10, 20, -65535, -65535), 1);
    EXPECT_EQ(frame(1), NSMakeRect(10, 900 - 20 - 328, 402, 328));
    EXPECT_EQ(SetWindowBounds(9, 0, 0, 10, 10), 0);
}

TEST_F(WindowsTest, AnswersZeroForWindowsThatDoNotExist) {
    EXPECT_EQ(WindowExists(4), 0);
    EXPECT_EQ(WindowObject(4), 0);
    EXPECT_EQ(GetWindowWidth(4), 0);
    EXPECT_EQ(GetWindowHeight(4, 0), 0);
    EXPECT_EQ(KeepWindowOnTop(4, 1), 0);
    DisposeWindow(4);
}

TEST_F(WindowsTest, KeepsAWindowOnTopOnTheFloatingLevel) {
    ASSERT_NE(NewWindow(1, 0, 0, 100, 100, u"", 4), 0);
    ASSERT_EQ(KeepWindowOnTop(1, 1), 1);
    EXPECT_EQ(window(1)->level(), 3);
    ASSERT_EQ(KeepWindowOnTop(1, 0), 1);
    EXPECT_EQ(window(1)->level(), 0);
}

TEST_F(WindowsTest, AutoNumberWindowsAreNumberedByTheirRecordAndKnownToTheirDelegate) {
    const int64_t first = NewWindow(AutoNumber, 0, 0, 100, 100, u"", 4);
    const int64_t second = NewWindow(AutoNumber, 0, 0, 100, 100, u"", 4);
    ASSERT_NE(first, 0);
    ASSERT_NE(second, 0);
    EXPECT_NE(first, second);
    EXPECT_EQ(NativeWindowID(window(first)), first);
    EXPECT_EQ(NativeWindowID(window(second)), second);
    DisposeWindow(first);
    EXPECT_EQ(WindowExists(first), 0);
    EXPECT_EQ(WindowExists(second), 1);
}

TEST_F(WindowsTest, NativeWindowIdIsMinusOneForWindowsThatAreNotTheRuntimes) {
    EXPECT_EQ(NativeWindowID(nullptr), -1);
    ObjcRef<NSWindow> plain = make_native<NSWindow>();
    plain->initWithContentRectStyleMaskBackingDefer(NSMakeRect(0, 0, 10, 10), 1, 2, NO);
    EXPECT_EQ(NativeWindowID(plain.get()), -1);
    plain->setReleasedWhenClosed(NO);
    plain->close();
    ASSERT_NE(NewWindow(6, 0, 0, 100, 100, u"", 4), 0);
    EXPECT_EQ(NativeWindowID(window(6)), 6);
}

TEST_F(WindowsTest, DisposeWindowClosesTheWindowAndDropsItsEvents) {
    ASSERT_NE(NewWindow(1, 0, 0, 100, 100, u"One", 4), 0);
    written_lines();
    ObjcRef<NSWindow> closed = ObjcRef<NSWindow>::retain(window(1));
    PostAppEvent(EventKindApplicationFirst, 1, 0);
    DisposeWindow(1);
    EXPECT_EQ(WindowExists(1), 0);
    EXPECT_TRUE(closed->is_closed());
    for (const TakenEvent& event : take_all_events())
        EXPECT_NE(event.window, 1) << event;
    const std::string written = written_lines();
    EXPECT_NE(written.find(R"({"event":"window","t":0,"number":1,"closed":true})"),
              std::string::npos)
        << written;
}

TEST_F(WindowsTest, ReopeningANumberClosesTheOldWindowFirst) {
    ASSERT_NE(NewWindow(1, 0, 0, 100, 100, u"Old", 4), 0);
    ObjcRef<NSWindow> old = ObjcRef<NSWindow>::retain(window(1));
    ASSERT_NE(NewWindow(1, 0, 0, 200, 100, u"New", 4), 0);
    EXPECT_TRUE(old->is_closed());
    EXPECT_NE(window(1), old.get());
    EXPECT_EQ(GetWindowWidth(1), 200);
}

TEST_F(WindowsTest, ClosingTheKeyWindowGivesKeyStatusBackToTheWindowKeyWhenItOpened) {
    ASSERT_NE(NewWindow(1, 0, 0, 100, 100, u"A", 4), 0);
    ASSERT_NE(NewWindow(2, 0, 0, 100, 100, u"B", 4), 0);
    ASSERT_NE(NewWindow(3, 0, 0, 100, 100, u"C", 4), 0); // opened while B was key
    ASSERT_EQ(key_window(), window(3));
    DisposeWindow(3);
    EXPECT_EQ(key_window(), window(2));
    DisposeWindow(2);
    EXPECT_EQ(key_window(), window(1));
}

TEST_F(WindowsTest, AHiddenPreviousKeyWindowDoesNotGetKeyStatusBack) {
    ASSERT_NE(NewWindow(1, 0, 0, 100, 100, u"A", 4), 0);
    ASSERT_NE(NewWindow(2, 0, 0, 100, 100, u"B", 4), 0);
    window(1)->orderOut(nil);
    DisposeWindow(2);
    EXPECT_EQ(key_window(), nullptr);
    EXPECT_FALSE(window(1)->isKeyWindow());
}

TEST_F(WindowsTest, ClosingAWindowThatIsNotKeyLeavesTheKeyWindowAlone) {
    ASSERT_NE(NewWindow(1, 0, 0, 100, 100, u"A", 4), 0);
    ASSERT_NE(NewWindow(2, 0, 0, 100, 100, u"B", 4), 0);
    ASSERT_NE(NewWindow(3, 0, 0, 100, 100, u"C", 4), 0);
    DisposeWindow(2);
    EXPECT_EQ(key_window(), window(3));
}

TEST_F(WindowsTest, WithThePreviousKeyWindowGoneTheFirstVisibleWindowBecomesKey) {
    ASSERT_NE(NewWindow(5, 0, 0, 100, 100, u"X", 4 | 8192), 0); // shown, not key
    ASSERT_NE(NewWindow(1, 0, 0, 100, 100, u"A", 4), 0);
    ASSERT_NE(NewWindow(2, 0, 0, 100, 100, u"B", 4), 0);
    DisposeWindow(1);
    DisposeWindow(2);
    EXPECT_EQ(key_window(), window(5));
}

TEST_F(WindowsTest, TheCloseButtonReportsTheCloseAndLeavesTheWindowOpen) {
    ASSERT_NE(NewWindow(1, 0, 0, 100, 100, u"A", 4), 0);
    forget_events();
    window(1)->performClose(nil);
    EXPECT_EQ(take_all_events(), (std::vector<TakenEvent>{{EventKindCloseWindow, 1, 1}}));
    EXPECT_EQ(WindowExists(1), 1);
    EXPECT_TRUE(window(1)->isVisible());
}

TEST_F(WindowsTest, TheDisplaysCloseButtonReachesTheProgramAsACloseEvent) {
    m_script.str("close 1\n");
    ASSERT_NE(NewWindow(1, 0, 0, 100, 100, u"A", 4), 0);
    forget_events();
    EXPECT_EQ(wait_for_runtime_event(), EventKindCloseWindow);
    EXPECT_EQ(current_event().window, 1);
    EXPECT_EQ(WindowExists(1), 1);
}

TEST_F(WindowsTest, MouseReleasesInTheContentViewBecomeClickEvents) {
    struct Case {
        NSUInteger type;
        std::vector<NSInteger> click_counts;
        std::vector<int32_t> kinds;
    };
    const Case cases[] = {
        {NSEventTypeLeftMouseUp, {1, 2}, {EventKindLeftClick, EventKindLeftDoubleClick}},
        {NSEventTypeLeftMouseUp, {1, 2, 3}, {EventKindLeftClick, EventKindLeftDoubleClick}},
        {NSEventTypeRightMouseUp, {1, 2}, {EventKindRightClick}},
    };
    ASSERT_NE(NewWindow(1, 0, 0, 100, 100, u"A", 4), 0);
    NSWindow* target = window(1);
    for (const Case& c : cases) {
        forget_events();
        for (NSInteger count : c.click_counts) {
            NSEvent* event =
                NSEvent::mouseEventWithType(native_class<NSEvent>(), c.type, NSMakePoint(10, 10), 0,
                                            0, target->windowNumber(), nil, 0, count, 1.0f);
            target->sendEvent(event);
        }
        std::vector<TakenEvent> expected;
        for (int32_t kind : c.kinds)
            expected.push_back({kind, 1, 1});
        EXPECT_EQ(take_all_events(), expected) << "event type " << c.type;
    }
}

TEST_F(WindowsTest, ZoomingReportsTheMaximiseBeforeTheSizeEvent) {
    ASSERT_NE(NewWindow(1, 0, 0, 100, 100, u"A", 16), 0);
    forget_events();
    window(1)->zoom(nil);
    std::vector<int32_t> kinds;
    for (const TakenEvent& event : take_all_events())
        if (event.kind != EventKindMoveWindow) kinds.push_back(event.kind);
    EXPECT_EQ(kinds, (std::vector<int32_t>{EventKindMaximizeWindow, EventKindSizeWindow}));
}

TEST_F(WindowsTest, OpeningMinimisedOrMaximisedReportsNothingOfIt) {
    ASSERT_NE(NewWindow(1, 0, 0, 100, 100, u"A", 1024), 0);
    ASSERT_NE(NewWindow(2, 0, 0, 100, 100, u"B", 512), 0);
    EXPECT_TRUE(window(1)->isMiniaturized());
    EXPECT_TRUE(window(2)->isZoomed());
    const std::vector<TakenEvent> events = take_all_events();
    EXPECT_FALSE(contains_kind(events, EventKindMinimizeWindow));
    EXPECT_FALSE(contains_kind(events, EventKindMaximizeWindow));
    EXPECT_FALSE(contains_kind(events, EventKindSizeWindow));
}

TEST_F(WindowsTest, WindowOutputIsAViewOverAClearedBufferOnTopOfTheContent) {
    ASSERT_NE(NewWindow(1, 0, 0, 100, 100, u"A", 4), 0);
    WindowRecord* record = window_record(1);
    ASSERT_NE(record, nullptr);
    CGContextRef context = OpenWindowOutput(record, 10, 5);
    ASSERT_NE(context, nullptr);
    ASSERT_NE(record->output_view, nullptr);
    EXPECT_EQ(CGBitmapContextGetData(context), record->output_pixels);
    EXPECT_EQ(CGBitmapContextGetWidth(context), 10u);
    EXPECT_EQ(record->output_view->bitmap()->pixelsWide(), 10);
    NSArray* subviews = window(1)->contentView()->subviews();
    EXPECT_EQ(subviews->lastObject(), record->output_view);

    KXWindowOutputView* first_view = record->output_view;
    record->output_pixels[7] = 0xff;
    CGContextRef again = OpenWindowOutput(record, 10, 5);
    EXPECT_EQ(record->output_view, first_view);
    EXPECT_EQ(record->output_pixels[7], 0);

    CGContextRef larger = OpenWindowOutput(record, 20, 5);
    ASSERT_NE(larger, nullptr);
    EXPECT_EQ(record->output_view->bitmap()->pixelsWide(), 20);
    EXPECT_EQ(window(1)->contentView()->subviews()->count(), 1u);

    EXPECT_EQ(OpenWindowOutput(record, 0, 5), nullptr);
    CGContextRelease(context);
    CGContextRelease(again);
    CGContextRelease(larger);
    CloseWindowOutput(record);
    EXPECT_EQ(record->output_view, nullptr);
    EXPECT_EQ(record->output_pixels, nullptr);
    EXPECT_EQ(window(1)->contentView()->subviews()->count(), 0u);
}

} // namespace
