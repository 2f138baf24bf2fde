#include "runtime/ui/window_style.h"

#include <gtest/gtest.h>

namespace rt {
namespace {

TEST(WindowStyle, MapsFlagsToTheStyleMask) {
    const struct {
        uint32_t flags;
        uint64_t expected;
    } cases[] = {
        {0, WindowStyleTitled},
        {1, WindowStyleTitled},
        {4, WindowStyleTitled | WindowStyleClosable},
        {68, WindowStyleTitled | WindowStyleClosable},
        {2, WindowStyleTitled | WindowStyleResizable},
        {16, WindowStyleTitled | WindowStyleClosable | WindowStyleResizable},
        {32, WindowStyleTitled | WindowStyleClosable | WindowStyleMiniaturizable},
        {512, WindowStyleTitled | WindowStyleResizable},
        {1024, WindowStyleTitled | WindowStyleMiniaturizable},
        {128, WindowStyleBorderless},
        {128 | 2, WindowStyleResizable},
        {128 | 4 | 16 | 32, WindowStyleResizable | WindowStyleMiniaturizable},
    };
    for (const auto& c : cases)
        EXPECT_EQ(window_style_mask(c.flags), c.expected) << "flags " << c.flags;
}

TEST(WindowStyle, FramesATitledWindowWiderAndTallerThanItsContent) {
    const uint64_t titled = WindowStyleTitled | WindowStyleClosable;
    const Rect content{100, 200, 320, 290};
    const Rect frame = frame_rect_for_content_rect(content, titled);
    EXPECT_EQ(frame, (Rect{99, 200, 322, 318}));
    EXPECT_EQ(content_rect_for_frame_rect(frame, titled), content);
    EXPECT_EQ(frame_rect_for_content_rect(content, WindowStyleBorderless), content);
    EXPECT_EQ(title_bar_height(WindowStyleResizable), 0);
}

} // namespace
} // namespace rt
