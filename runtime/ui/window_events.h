#pragma once
// The runtime events that a window's notifications and its content view's mouse releases turn
// into. The native delegate and view call these; every event carries the window number as both
// object and window, with subtype 0.

#include <cstdint>

namespace rt {

// Posts `kind` for the window (flags 0: coalesced, callbacks at once).
void post_window_event(int32_t kind, int64_t window);

// A resize, full-screen change or zoom: the pending zoom kind first (0: none), then the size
// event, moved to the end of the queue so that only the newest size event waits there.
void post_window_resize(int64_t window, int32_t pending_zoom_kind);

// A left release: one click for a click count of 1, a double click for 2, nothing (0) for any
// other count. A double click therefore reports a click on its first release and a double click
// on its second.
int32_t left_mouse_up_kind(int64_t click_count);
// A right release: a right click for a click count of 1 only, else 0.
int32_t right_mouse_up_kind(int64_t click_count);

// windowDidDeminiaturize:: maximised when the window is resizable and zoomed, restored otherwise.
int32_t deminiaturize_kind(uint64_t style_mask, bool zoomed);

// KeepWindowOnTop's window level.
inline constexpr int64_t WindowLevelNormal = 0;
inline constexpr int64_t WindowLevelFloating = 3;
constexpr int64_t window_level_for(int64_t keep_on_top) {
    return keep_on_top != 0 ? WindowLevelFloating : WindowLevelNormal;
}

} // namespace rt
