#include "runtime/ui/screen_coordinates.h"

#include <cmath>
#include <limits>

namespace rt {

namespace {

bool holds(const ScreenBox& box, int64_t x, int64_t y) {
    return box.left <= x && x <= box.left + box.width && box.top <= y && y <= box.top + box.height;
}

} // namespace

int64_t truncate_to_points(double value) {
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    constexpr double limit = 9223372036854775808.0;
    if (std::isnan(value)) return 0;
    if (value >= limit) return std::numeric_limits<int64_t>::max();
    if (value < -limit) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(value);
}

ScreenBox screen_box(const Rect& frame, double main_screen_height) {
    return {truncate_to_points(frame.x),
            truncate_to_points(flip_y(frame.y, frame.height, main_screen_height)),
            truncate_to_points(frame.width), truncate_to_points(frame.height)};
}

const Rect* screen_frame_at(std::span<const Rect> screens, int32_t screen_count, int64_t index) {
    if (index < 0 || index >= screen_count) return nullptr;
    if (index >= static_cast<int64_t>(screens.size())) return nullptr;
    return &screens[static_cast<size_t>(index)];
}

int64_t global_mouse_x(const Point& pointer) {
    return truncate_to_points(pointer.x);
}

int64_t global_mouse_y(const Point& pointer, double main_screen_height) {
    return truncate_to_points(main_screen_height - pointer.y);
}

int32_t screen_holding_pointer(std::span<const ScreenBox> displays, int64_t mouse_x,
                               int64_t mouse_y) {
    if (displays.empty()) return -1;
    for (auto index = static_cast<int32_t>(displays.size()) - 1; index >= 0; --index)
        if (holds(displays[static_cast<size_t>(index)], mouse_x, mouse_y)) return index;
    return 0;
}

} // namespace rt
