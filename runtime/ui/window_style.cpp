#include "runtime/ui/window_style.h"

namespace rt {

namespace {

bool any_set(uint32_t flags, uint32_t bits) {
    return (flags & bits) != 0;
}

} // namespace

uint32_t window_flags_for_position(int32_t x, int32_t y, uint32_t flags) {
    if (!is_given(x) || !is_given(y)) flags |= WindowFlagCentred;
    return flags;
}

uint64_t window_style_mask(uint32_t flags) {
    uint64_t style = WindowStyleBorderless;
    if (!any_set(flags, WindowFlagBorderless)) {
        style = WindowStyleTitled;
        if (any_set(flags,
                    WindowFlagCloseButton | WindowFlagMaximizeButton | WindowFlagMinimizeButton))
            style |= WindowStyleClosable;
    }
    if (any_set(flags, WindowFlagSizeable | WindowFlagMaximizeButton | WindowFlagMaximized))
        style |= WindowStyleResizable;
    if (any_set(flags, WindowFlagMinimizeButton | WindowFlagMinimized))
        style |= WindowStyleMiniaturizable;
    return style;
}

double title_bar_height(uint64_t style_mask) {
    return (style_mask & WindowStyleTitled) ? WindowTitleBarHeight : 0;
}

FrameInsets window_frame_insets(uint64_t style_mask) {
    if (!(style_mask & WindowStyleTitled)) return {};
    return {WindowBorderWidth, WindowBorderWidth, 0, WindowTitleBarHeight};
}

Rect frame_rect_for_content_rect(const Rect& content, uint64_t style_mask) {
    const FrameInsets insets = window_frame_insets(style_mask);
    return {content.x - insets.left, content.y - insets.bottom,
            content.width + insets.left + insets.right,
            content.height + insets.bottom + insets.top};
}

Rect content_rect_for_frame_rect(const Rect& frame, uint64_t style_mask) {
    const FrameInsets insets = window_frame_insets(style_mask);
    return {frame.x + insets.left, frame.y + insets.bottom,
            frame.width - insets.left - insets.right, frame.height - insets.bottom - insets.top};
}

} // namespace rt
