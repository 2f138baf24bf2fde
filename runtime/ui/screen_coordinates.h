#pragma once
// The two coordinate systems of the windowing runtime. The toolkit measures rectangles from the
// bottom-left corner of the main screen with y growing upwards; the program measures from the
// top-left corner of the main screen with y growing downwards. Converting a rectangle's y is the
// same formula both ways: main screen height - (y + height). Without a main screen its height
// counts as 0.
//
// The screen functions report whole points: floating-point values are truncated towards zero.

#include <cstdint>
#include <span>

namespace rt {

// A position or size of this value is not given: the value stays as it is.
inline constexpr int32_t CoordinateNotGiven = -65535;

constexpr bool is_given(int64_t value) {
    return value != CoordinateNotGiven;
}

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    bool operator==(const Rect&) const = default;
};

struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point&) const = default;
};

// A display's frame in the program's coordinates, in whole points.
struct ScreenBox {
    int64_t left = 0;
    int64_t top = 0;
    int64_t width = 0;
    int64_t height = 0;
    bool operator==(const ScreenBox&) const = default;
};

// The y of a rectangle of this height in the other coordinate system.
constexpr double flip_y(double y, double height, double main_screen_height) {
    return main_screen_height - (y + height);
}

// Truncates towards zero; NaN gives 0 and values beyond the 64-bit range give its ends.
int64_t truncate_to_points(double value);

// ScreenLeft, ScreenTop, ScreenWidth and ScreenHeight of one display frame.
ScreenBox screen_box(const Rect& frame, double main_screen_height);

// The frame of display `index` when the index lies below the remembered screen count and the
// display is still present; null otherwise.
const Rect* screen_frame_at(std::span<const Rect> screens, int32_t screen_count, int64_t index);

// GlobalMouseX and GlobalMouseY of the pointer's toolkit position.
int64_t global_mouse_x(const Point& pointer);
int64_t global_mouse_y(const Point& pointer, double main_screen_height);

// ScreenUnderMouse's choice: the highest index whose box holds the pointer, edges included;
// -1 without displays; 0 when no display holds it.
int32_t screen_holding_pointer(std::span<const ScreenBox> displays, int64_t mouse_x,
                               int64_t mouse_y);

} // namespace rt
