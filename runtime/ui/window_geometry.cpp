#include "runtime/ui/window_geometry.h"

#include "runtime/ui/event_kinds.h"
#include "runtime/ui/window_style.h"

#include <algorithm>

namespace rt {

namespace {

double content_extent(int32_t value, uint32_t flags) {
    const int32_t floor = (flags & WindowFlagMaximized) ? 1 : 0;
    return std::max(value, floor);
}

Rect centred_on_screen(Rect frame, const Rect* screen) {
    const double screen_width = screen ? screen->width : 0;
    const double screen_height = screen ? screen->height : 0;
    frame.x = (screen_width - frame.width) * 0.5;
    frame.y = (screen_height - frame.height) * 0.5;
    return frame;
}

Rect centred_on(Rect frame, const Rect& reference) {
    frame.x = reference.x + (reference.width - frame.width) * 0.5;
    frame.y = reference.y + (reference.height - frame.height) * 0.5;
    return frame;
}

} // namespace

NewWindowShape new_window_shape(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags,
                                double main_screen_height) {
    NewWindowShape shape{};
    shape.flags = window_flags_for_position(x, y, flags);
    shape.style_mask = window_style_mask(shape.flags);
    const double content_width = content_extent(width, shape.flags);
    const double content_height = content_extent(height, shape.flags);
    const Rect frame =
        frame_rect_for_content_rect({0, 0, content_width, content_height}, shape.style_mask);
    shape.content = {static_cast<double>(x), main_screen_height - y - frame.height, content_width,
                     content_height};
    return shape;
}

Rect centred_window_frame(const Rect& frame, uint32_t flags, const Rect* screen,
                          const Rect* reference) {
    if (flags & WindowFlagCentred) return centred_on_screen(frame, screen);
    if ((flags & WindowFlagCentreOnParent) && reference) return centred_on(frame, *reference);
    return frame;
}

Rect window_bounds_frame(const Rect& frame, uint64_t style_mask, int32_t x, int32_t y,
                         int32_t width, int32_t height, double main_screen_height) {
    Rect result = frame;
    if (is_given(width) || is_given(height)) {
        Rect content = content_rect_for_frame_rect(frame, style_mask);
        const double old_height = content.height;
        if (is_given(width)) content.width = width;
        if (is_given(height)) content.height = height;
        content.y += old_height - content.height;
        result = frame_rect_for_content_rect(content, style_mask);
    }
    if (is_given(x)) result.x = x;
    if (is_given(y)) result.y = main_screen_height - y - result.height;
    return result;
}

Rect content_rect_top_left(const Rect& frame, uint64_t style_mask, double main_screen_height) {
    Rect content = content_rect_for_frame_rect(frame, style_mask);
    content.y = flip_y(content.y, content.height, main_screen_height);
    return content;
}

WindowSize window_size(const Rect& frame, uint64_t style_mask, int32_t mode) {
    const Rect measured = mode == 0 ? frame : content_rect_for_frame_rect(frame, style_mask);
    return {truncate_to_points(measured.width), truncate_to_points(measured.height)};
}

int32_t zoom_event_kind(const Rect* current_frame, const Rect& proposed_frame) {
    const Rect current = current_frame ? *current_frame : Rect{};
    if (proposed_frame.width > current.width || proposed_frame.height > current.height)
        return EventKindMaximizeWindow;
    return EventKindRestoreWindow;
}

} // namespace rt
