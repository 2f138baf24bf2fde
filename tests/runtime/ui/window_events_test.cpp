#include "runtime/ui/window_events.h"

#include "runtime/ui/event_queue.h"

#include <gtest/gtest.h>

#include <vector>

namespace rt {
namespace {

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

} // namespace
} // namespace rt
