#pragma once
// Where windows go: the first content rectangle of a new window, its centring, the new frame of
// SetWindowBounds, the window sizes the program reads, and the zoom decision. Rectangles are in
// the toolkit's coordinates (bottom-left origin) unless a name says otherwise; positions and sizes
// from the program are in its top-left coordinates, with CoordinateNotGiven for "keep".

#include "runtime/ui/screen_coordinates.h"

#include <cstdint>

namespace rt {

struct NewWindowShape {
    uint32_t flags; // the given flags, with WindowFlagCentred when a position was not given
    uint64_t style_mask;
    Rect content; // toolkit coordinates; the frame's top edge lies at the program's y
};

// The flags, style and content rectangle NewWindow creates its window with. A maximised window is
// at least 1 × 1; a negative size counts as 0.
NewWindowShape new_window_shape(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags,
                                double main_screen_height);

// The frame after NewWindow's centring, keeping the size. WindowFlagCentred centres on the
// window's screen, whose origin is not added (null: a screen of size 0); otherwise
// WindowFlagCentreOnParent centres on `reference`, the parent's frame or, without a parent, the
// key window's (null: no centring). Without either flag the frame is returned unchanged.
Rect centred_window_frame(const Rect& frame, uint32_t flags, const Rect* screen,
                          const Rect* reference);

// SetWindowBounds: the new frame of a window with this frame and style. A new size keeps the top
// edge of the content in place; a new x or y moves the frame's top-left corner there.
Rect window_bounds_frame(const Rect& frame, uint64_t style_mask, int32_t x, int32_t y,
                         int32_t width, int32_t height, double main_screen_height);

// The content rectangle in the program's coordinates, as a display shows it.
Rect content_rect_top_left(const Rect& frame, uint64_t style_mask, double main_screen_height);

// GetWindowWidth and GetWindowHeight: mode 0 the frame's size, any other mode the content's,
// truncated to whole points.
struct WindowSize {
    int64_t width;
    int64_t height;
    bool operator==(const WindowSize&) const = default;
};
WindowSize window_size(const Rect& frame, uint64_t style_mask, int32_t mode);

// windowShouldZoom:toFrame:'s pending event: EventKindMaximizeWindow when the proposed frame is
// wider or taller than the current one (a window of size 0 when there is none), otherwise
// EventKindRestoreWindow.
int32_t zoom_event_kind(const Rect* current_frame, const Rect& proposed_frame);

} // namespace rt
