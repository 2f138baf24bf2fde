#include "runtime/ui/native/kx_flipped_window_view.h"

#include "platform/appkit/ns_event.h"
#include "runtime/ui/event_kinds.h"
#include "runtime/ui/window_events.h"

#include <mutex>

void KXFlippedWindowView::post(int32_t kind) const {
    if (kind != rt::EventKindNone) rt::post_window_event(kind, m_window_id);
}

void KXFlippedWindowView::drawRect(NSRect dirty) {
    NSView::drawRect(dirty);
    post(rt::EventKindRepaint);
}

void KXFlippedWindowView::mouseUp(NSEvent* event) {
    if (!event) return;
    post(rt::left_mouse_up_kind(event->clickCount()));
}

void KXFlippedWindowView::rightMouseUp(NSEvent* event) {
    if (!event) return;
    post(rt::right_mouse_up_kind(event->clickCount()));
}

// Dragging onto the content view (draggingEntered:, draggingUpdated:, prepareForDragOperation:,
// performDragOperation:) is forwarded to the drag-and-drop handler of the gadgets, which brings
// those methods with it.

void register_kx_ns_flipped_view_class() {
    static std::once_flag once;
    std::call_once(once, [] {
        register_native_class<KX_NSFlippedView>(
            "KX_NSFlippedView", "NSView",
            {instance_method<&KX_NSFlippedView::isFlipped>("isFlipped")});
    });
}

void register_kx_flipped_window_view_class() {
    register_kx_ns_flipped_view_class();
    static std::once_flag once;
    std::call_once(once, [] {
        register_native_class<KXFlippedWindowView>(
            "KXFlippedWindowView", "KX_NSFlippedView",
            {
                instance_method<&KXFlippedWindowView::drawRect>("drawRect:"),
                instance_method<&KXFlippedWindowView::mouseUp>("mouseUp:"),
                instance_method<&KXFlippedWindowView::rightMouseUp>("rightMouseUp:"),
            });
    });
}
