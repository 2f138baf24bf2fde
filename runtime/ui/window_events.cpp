#include "runtime/ui/window_events.h"

#include "runtime/ui/event_queue.h"
#include "runtime/ui/window_style.h"

namespace rt {

void post_window_event(int32_t kind, int64_t window) {
    QueueEvent(kind, window, window, 0);
}

void post_window_resize(int64_t window, int32_t pending_zoom_kind) {
    if (pending_zoom_kind != EventKindNone) post_window_event(pending_zoom_kind, window);
    RemoveQueuedEvents(EventKindSizeWindow, window, window, 0);
    post_window_event(EventKindSizeWindow, window);
}

int32_t left_mouse_up_kind(int64_t click_count) {
    if (click_count == 1) return EventKindLeftClick;
    if (click_count == 2) return EventKindLeftDoubleClick;
    return EventKindNone;
}

int32_t right_mouse_up_kind(int64_t click_count) {
    return click_count == 1 ? EventKindRightClick : EventKindNone;
}

int32_t deminiaturize_kind(uint64_t style_mask, bool zoomed) {
    const bool resizable = (style_mask & WindowStyleResizable) != 0;
    return resizable && zoomed ? EventKindMaximizeWindow : EventKindRestoreWindow;
}

} // namespace rt
