#include "runtime/ui/window_records.h"

#include "platform/appkit/ns_application.h"
#include "platform/appkit/ns_bitmap_image_rep.h"
#include "platform/appkit/ns_screen.h"
#include "platform/appkit/ns_window.h"
#include "platform/foundation/ns_array.h"
#include "platform/objc/message_send.h"
#include "runtime/ui/event_kinds.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/native/kx_window_output_view.h"
#include "runtime/ui/next_key_window.h"
#include "runtime/ui/wait_event.h"
#include "runtime/ui/window_events.h"
#include "runtime/ui/window_geometry.h"
#include "runtime/ui/window_style.h"
#include "tests/runtime/ui/runtime_window_test.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace rt {
namespace {

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

// A child opens in front of its parent unless invisible; the opening state is part of the opening.
TEST_F(WindowsTest, OpensInTheStateItsFlagsAskForAboveItsParent) {
    struct Row {
        uint32_t flags;
        bool visible, key, zoomed, miniaturized;
    };
    const Row rows[] = {{0, true, true, false, false},
                        {WindowFlagNoActivate, true, false, false, false},
                        {WindowFlagInvisible, false, false, false, false},
                        {WindowFlagMaximized, true, true, true, false},
                        {WindowFlagMinimized, false, false, false, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.flags);
        ASSERT_NE(NewWindow(1, 0, 0, 100, 100, u"Parent", 4), 0);
        ASSERT_NE(NewWindow(2, 0, 0, 50, 50, u"Child", int32_t(4 | row.flags), WindowObject(1)), 0);
        NSWindow* child = window(2);
        EXPECT_EQ(std::tuple(child->isVisible(), child->isKeyWindow(), child->isZoomed(),
                             child->isMiniaturized(), child->parentWindow()),
                  std::tuple(BOOL(row.visible), BOOL(row.key), BOOL(row.zoomed),
                             BOOL(row.miniaturized),
                             row.visible || row.miniaturized ? window(1) : nullptr));
        EXPECT_TRUE(!row.zoomed || child->frame() == child->screen()->visibleFrame());
        DisposeWindow(AutoNumber);
    }
}

// The output is a view on top of the content over one buffer that its bitmap and each context
// share; every open starts from a clear buffer, also one that reuses the buffer of that size.
TEST_F(WindowsTest, OutputDrawsIntoOneClearedBufferOnAViewOnTop) {
    ASSERT_NE(NewWindow(1, 0, 0, 100, 100, u"Output", 4), 0);
    WindowRecord* record = window_record(1);
    for (const auto& [width, height] : {std::pair(0, 5), std::pair(5, 0)})
        EXPECT_EQ(OpenWindowOutput(record, width, height), nullptr);
    EXPECT_EQ(OpenWindowOutput(nullptr, 5, 5), nullptr);
    EXPECT_EQ(window(1)->contentView()->subviews()->count(), 0u);
    for (const auto& [width, height] : {std::pair(4, 3), std::pair(4, 3), std::pair(2, 6)}) {
        SCOPED_TRACE(width * 10 + height);
        CGContextRef context = OpenWindowOutput(record, width, height);
        ASSERT_NE(context, nullptr);
        auto* pixels = static_cast<unsigned char*>(CGBitmapContextGetData(context));
        NSBitmapImageRep* bitmap = record->output_view->bitmap();
        EXPECT_EQ(std::tuple(pixels, bitmap->bitmapData(), bitmap->pixelsWide(),
                             bitmap->pixelsHigh(), CGBitmapContextGetBytesPerRow(context)),
                  std::tuple(record->output_pixels, pixels, width, height, size_t(width) * 4));
        EXPECT_EQ(std::string(reinterpret_cast<char*>(pixels), size_t(width * height) * 4),
                  std::string(size_t(width * height) * 4, '\0'));
        EXPECT_EQ(window(1)->contentView()->subviews()->lastObject(), record->output_view);
        EXPECT_EQ(window(1)->contentView()->subviews()->count(), 1u);
        std::memset(pixels, 0x7F, size_t(width * height) * 4);
        CGContextRelease(context);
    }
    CloseWindowOutput(record);
    EXPECT_EQ(std::tuple(record->output_view, record->output_pixels,
                         window(1)->contentView()->subviews()->count()),
              std::tuple(nullptr, nullptr, 0u));
}

class WindowEventsTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(InitEvents(), 1); }
    void TearDown() override { InitEvents(); }
};

std::vector<int32_t> taken_kinds() {
    std::vector<int32_t> kinds;
    while (int32_t kind = TakeEvent())
        kinds.push_back(kind);
    return kinds;
}

TEST_F(WindowEventsTest, ADoubleClickPostsOneClickAndOneDoubleClick) {
    // The releases of a double click carry click counts 1 and 2; a triple click adds nothing.
    for (int64_t click_count : {1, 2, 3}) {
        if (const int32_t kind = left_mouse_up_kind(click_count)) post_window_event(kind, 4);
    }
    EXPECT_EQ(taken_kinds(), (std::vector<int32_t>{EventKindLeftClick, EventKindLeftDoubleClick}));
    EXPECT_EQ(right_mouse_up_kind(1), EventKindRightClick);
    EXPECT_EQ(right_mouse_up_kind(2), EventKindNone);
    EXPECT_EQ(left_mouse_up_kind(0), EventKindNone);
}

TEST_F(WindowEventsTest, AResizePostsThePendingZoomThenOneSizeEventAtTheEnd) {
    post_window_resize(2, EventKindNone);
    post_window_event(EventKindMoveWindow, 2);
    post_window_resize(2, EventKindMaximizeWindow);
    EXPECT_EQ(taken_kinds(), (std::vector<int32_t>{EventKindMoveWindow, EventKindMaximizeWindow,
                                                   EventKindSizeWindow}));
    EXPECT_EQ(current_event().window, 2);
}

constexpr Rect main_screen{0, 0, 1440, 900};

// NewWindow's placement on the main screen: the created shape, then the centring.
Rect placed_frame(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t flags) {
    const NewWindowShape shape = new_window_shape(x, y, w, h, flags, main_screen.height);
    const Rect frame = frame_rect_for_content_rect(shape.content, shape.style_mask);
    return centred_window_frame(frame, shape.flags, &main_screen, nullptr);
}

// Content rectangles below are top-left based, as the runtime gives them.
TEST(WindowGeometry, PlacesNewWindowsAndMovesThemKeepingTheTopLeftCorner) {
    using Row = std::tuple<int32_t, int32_t, int32_t, int32_t, uint32_t, Rect>;
    const Row placements[] = {
        {0, 0, 320, 290, 68, {560, 319, 320, 290}},  // the Preferences: titled, closable, centred
        {100, 50, 200, 100, 4, {100, 78, 200, 100}}, // not centred: the frame's corner lands there
        {-65535, 0, 320, 290, 4, {560, 319, 320, 290}},
        {0, -65535, 320, 290, 4, {560, 319, 320, 290}},
        {-65535, -65535, 200, 100, 128, {620, 400, 200, 100}},
        {10, 20, 0, -5, 512 | 128, {10, 20, 1, 1}},
        {10, 20, -5, 0, 128, {10, 20, 0, 0}},
    };
    for (const auto& [x, y, w, h, flags, expected] : placements) {
        const uint64_t mask = new_window_shape(x, y, w, h, flags, 900).style_mask;
        EXPECT_EQ(content_rect_top_left(placed_frame(x, y, w, h, flags), mask, 900), expected)
            << x << "," << y << " " << w << "x" << h << " flags " << flags;
    }
    const uint64_t titled = WindowStyleTitled | WindowStyleClosable;
    const Rect frame = placed_frame(0, 0, 320, 290, 68);
    const Row moves[] = {
        {-65535, -65535, 400, -65535, 0, {560, 319, 400, 290}},
        {-65535, -65535, -65535, 100, 0, {560, 319, 320, 100}},
        {-65535, -65535, 400, 100, 0, {560, 319, 400, 100}},
        {-65535, -65535, -65535, -65535, 0, {560, 319, 320, 290}},
        {560, 305, -65535, -65535, 0, {561, 333, 320, 290}},
        {0, 0, 200, 150, 0, {1, 28, 200, 150}},
    };
    for (const auto& [x, y, w, h, unused, expected] : moves)
        EXPECT_EQ(
            content_rect_top_left(window_bounds_frame(frame, titled, x, y, w, h, 900), titled, 900),
            expected)
            << x << "," << y << " " << w << "x" << h;
    // Centred on the reference only without screen centring.
    const Rect small{0, 0, 100, 50}, parent{200, 300, 400, 250};
    EXPECT_EQ(centred_window_frame(small, 256, nullptr, &parent), (Rect{350, 400, 100, 50}));
    EXPECT_EQ(centred_window_frame(small, 256, nullptr, nullptr), small);
    EXPECT_EQ(centred_window_frame(small, 64 | 256, nullptr, &parent), (Rect{-50, -25, 100, 50}));
    EXPECT_EQ(centred_window_frame(small, 4, &main_screen, &parent), small);
}

TEST(WindowGeometry, ZoomsLargerWhenWiderOrTaller) {
    const Rect current{0, 0, 400, 300};
    const std::pair<Rect, int32_t> cases[] = {{{0, 0, 500, 200}, EventKindMaximizeWindow},
                                              {{0, 0, 300, 400}, EventKindMaximizeWindow},
                                              {{0, 0, 400, 300}, EventKindRestoreWindow},
                                              {{50, 50, 200, 100}, EventKindRestoreWindow}};
    for (const auto& [proposed, expected] : cases)
        EXPECT_EQ(zoom_event_kind(&current, proposed), expected)
            << proposed.width << "x" << proposed.height;
}

TEST(WindowStyle, MapsFlagsToTheStyleMask) {
    constexpr uint64_t ti = WindowStyleTitled, cl = WindowStyleClosable, re = WindowStyleResizable,
                       mi = WindowStyleMiniaturizable, bo = WindowStyleBorderless;
    const std::pair<uint32_t, uint64_t> cases[] = {
        {0, ti},       {1, ti},       {4, ti | cl},
        {68, ti | cl}, {2, ti | re},  {16, ti | cl | re},
        {128, bo},     {128 | 2, re}, {128 | 4 | 16 | 32, re | mi},
    };
    for (const auto& [flags, expected] : cases)
        EXPECT_EQ(window_style_mask(flags), expected) << "flags " << flags;
}

TEST(WindowStyle, FramesATitledWindowWiderAndTallerThanItsContent) {
    const uint64_t titled = WindowStyleTitled | WindowStyleClosable;
    const Rect content{100, 200, 320, 290};
    const Rect frame = frame_rect_for_content_rect(content, titled);
    EXPECT_EQ(frame, (Rect{99, 200, 322, 318}));
    EXPECT_EQ(content_rect_for_frame_rect(frame, titled), content);
    EXPECT_EQ(frame_rect_for_content_rect(content, WindowStyleBorderless), content);
    EXPECT_EQ(title_bar_height(WindowStyleResizable), 0);
    // Sizes by mode: 0 the frame, 1 the content, truncated.
    const Rect odd{10, 10, 322.75, 318.5};
    EXPECT_EQ(window_size(odd, WindowStyleTitled, 0), (WindowSize{322, 318}));
    EXPECT_EQ(window_size(odd, WindowStyleTitled, 1), (WindowSize{320, 290}));
    EXPECT_EQ(window_size(odd, WindowStyleBorderless, 1), (WindowSize{322, 318}));
}

// Windows are letters in table order, upper case visible and lower case hidden; C is closing. A
// previous key window that is not in the table has closed since.
char next_key(std::string names, char previous) {
    std::vector<KeyWindowCandidate> windows;
    const void* closing = nullptr;
    const void* previous_key = previous ? &previous : nullptr;
    for (char& name : names) {
        windows.push_back({&name, std::isupper(static_cast<unsigned char>(name)) != 0});
        name = static_cast<char>(std::toupper(static_cast<unsigned char>(name)));
        if (name == previous) previous_key = &name;
        if (name == 'C') closing = &name;
    }
    const void* chosen = choose_next_key_window(windows, closing, previous_key);
    return chosen ? *static_cast<const char*>(chosen) : 0;
}

// Still open and visible it stays; hidden, the first visible window met before it; closed, the
// first visible window of all; the closing window itself is never chosen.
TEST(NextKeyWindow, PrefersThePreviousKeyWindowWhileItIsOpenAndVisible) {
    const std::tuple<const char*, char, char> cases[] = {
        {"ABC", 'B', 'B'}, {"AbC", 'B', 'A'}, {"aBC", 'A', 0},   {"CaD", 'B', 'D'},
        {"CDE", 0, 0},     {"Cab", 'Z', 0},   {"CAB", 'C', 'A'},
    };
    for (const auto& [table, previous_key, expected] : cases)
        EXPECT_EQ(next_key(table, previous_key), expected) << table << " " << previous_key;
}

} // namespace
} // namespace rt
