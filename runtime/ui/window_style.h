#pragma once
// From NewWindow's flags to the toolkit's window style, and the toolkit's window metrics: a titled
// window's frame is its content rectangle with a border of one point at the left and right and
// the title bar of 28 points on top, nothing below (so a frame and its content share their bottom
// edge, which NewWindow's placement relies on); a borderless window's frame is its content
// rectangle. The platform's window model answers frameRectForContentRect:styleMask: and
// contentRectForFrameRect: with these same metrics.

#include "runtime/ui/screen_coordinates.h"

#include <cstdint>

namespace rt {

// NewWindow flags.
inline constexpr uint32_t WindowFlagInvisible = 1;
inline constexpr uint32_t WindowFlagSizeable = 2;
inline constexpr uint32_t WindowFlagCloseButton = 4;
inline constexpr uint32_t WindowFlagMaximizeButton = 16;
inline constexpr uint32_t WindowFlagMinimizeButton = 32;
inline constexpr uint32_t WindowFlagCentred = 64;
inline constexpr uint32_t WindowFlagBorderless = 128;
inline constexpr uint32_t WindowFlagCentreOnParent = 256;
inline constexpr uint32_t WindowFlagMaximized = 512;
inline constexpr uint32_t WindowFlagMinimized = 1024;
inline constexpr uint32_t WindowFlagNoGadgetList = 4096;
inline constexpr uint32_t WindowFlagNoActivate = 8192;

// The toolkit's style mask bits.
inline constexpr uint64_t WindowStyleBorderless = 0;
inline constexpr uint64_t WindowStyleTitled = 1;
inline constexpr uint64_t WindowStyleClosable = 2;
inline constexpr uint64_t WindowStyleMiniaturizable = 4;
inline constexpr uint64_t WindowStyleResizable = 8;

// A titled window's metrics, in points.
inline constexpr double WindowTitleBarHeight = 28;
inline constexpr double WindowBorderWidth = 1;

// How far a window's frame reaches beyond its content rectangle on each side.
struct FrameInsets {
    double left = 0;
    double right = 0;
    double bottom = 0;
    double top = 0;
    bool operator==(const FrameInsets&) const = default;
};

// The flags NewWindow works with: a position that is not given centres the window.
uint32_t window_flags_for_position(int32_t x, int32_t y, uint32_t flags);

// The style mask for the flags. Borderless wins over every title-bar flag; the maximise and
// minimise buttons bring the close button with them.
uint64_t window_style_mask(uint32_t flags);

double title_bar_height(uint64_t style_mask);
FrameInsets window_frame_insets(uint64_t style_mask);
Rect frame_rect_for_content_rect(const Rect& content, uint64_t style_mask);
Rect content_rect_for_frame_rect(const Rect& frame, uint64_t style_mask);

} // namespace rt
