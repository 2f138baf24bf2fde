#include "runtime/ui/native/kx_window_events.h"

#include "platform/appkit/ns_view.h"
#include "platform/appkit/ns_window.h"
#include "platform/foundation/ns_notification.h"
#include "platform/objc/message_send.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/menu_records.h"
#include "runtime/ui/native/kx_window.h"
#include "runtime/ui/window_events.h"
#include "runtime/ui/window_geometry.h"
#include "runtime/ui/window_records.h"

#include <mutex>

void KXWindowEvents::connect(NSWindow* window, int64_t window_id) {
    m_window = window;
    m_window_id = window_id;
    m_zoom_event = 0;
    if (window) window->setDelegate(this);
}

void KXWindowEvents::post(int32_t kind) const {
    rt::post_window_event(kind, m_window_id);
}

BOOL KXWindowEvents::windowShouldClose(id) {
    post(rt::EventKindCloseWindow);
    return NO;
}

// Runs for every close, the program's and the toolkit's alike.
void KXWindowEvents::windowWillClose(NSNotification*) {
    if (m_window) m_window->setDelegate(nil);
    rt::release_window_record(m_window_id);
    m_window = nullptr;
    // The record held the delegate's reference. The window is still inside its close, so the
    // release waits for the pool rather than destroying the object this method runs on.
    autorelease();
}

void KXWindowEvents::kxHandleResizeEvent() {
    rt::post_window_resize(m_window_id, m_zoom_event);
    if (m_window) {
        if (NSView* content = m_window->contentView()) content->setNeedsDisplay(YES);
    }
    m_zoom_event = 0;
}

void KXWindowEvents::windowDidResize(NSNotification*) {
    kxHandleResizeEvent();
}

void KXWindowEvents::windowDidEnterFullScreen(NSNotification*) {
    kxHandleResizeEvent();
    post(rt::EventKindMaximizeWindow);
}

void KXWindowEvents::windowDidExitFullScreen(NSNotification*) {
    kxHandleResizeEvent();
    post(rt::EventKindRestoreWindow);
}

void KXWindowEvents::windowDidMove(NSNotification*) {
    post(rt::EventKindMoveWindow);
}

void KXWindowEvents::windowDidBecomeKey(NSNotification*) {
    rt::InstallWindowMenu(m_window);
    post(rt::EventKindActivateWindow);
}

void KXWindowEvents::windowDidResignKey(NSNotification*) {
    post(rt::EventKindDeactivateWindow);
}

void KXWindowEvents::windowDidUpdate(NSNotification*) {
    if (!m_window) return;
    if (id toolbar = m_window->toolbar()) msg_send<void>(toolbar, "validateVisibleItems");
}

void KXWindowEvents::windowDidMiniaturize(NSNotification*) {
    post(rt::EventKindMinimizeWindow);
}

void KXWindowEvents::windowDidDeminiaturize(NSNotification*) {
    if (!m_window) return;
    post(rt::deminiaturize_kind(m_window->styleMask(), m_window->isZoomed() != NO));
}

BOOL KXWindowEvents::windowShouldZoom(NSWindow* window, NSRect new_frame) {
    if (!window) {
        m_zoom_event = rt::zoom_event_kind(nullptr, rt::rect_from(new_frame));
        return YES;
    }
    const rt::Rect current = rt::rect_from(window->frame());
    m_zoom_event = rt::zoom_event_kind(&current, rt::rect_from(new_frame));
    return YES;
}

void register_kx_window_events_class() {
    static std::once_flag once;
    std::call_once(once, [] {
        register_native_class<KXWindowEvents>(
            "KXWindowEvents", "NSObject",
            {
                instance_method<&KXWindowEvents::connect>("connect:withID:"),
                instance_method<&KXWindowEvents::windowID>("windowID"),
                instance_method<&KXWindowEvents::windowShouldClose>("windowShouldClose:"),
                instance_method<&KXWindowEvents::windowWillClose>("windowWillClose:"),
                instance_method<&KXWindowEvents::kxHandleResizeEvent>("kxHandleResizeEvent"),
                instance_method<&KXWindowEvents::windowDidResize>("windowDidResize:"),
                instance_method<&KXWindowEvents::windowDidEnterFullScreen>(
                    "windowDidEnterFullScreen:"),
                instance_method<&KXWindowEvents::windowDidExitFullScreen>(
                    "windowDidExitFullScreen:"),
                instance_method<&KXWindowEvents::windowDidMove>("windowDidMove:"),
                instance_method<&KXWindowEvents::windowDidBecomeKey>("windowDidBecomeKey:"),
                instance_method<&KXWindowEvents::windowDidResignKey>("windowDidResignKey:"),
                instance_method<&KXWindowEvents::windowDidUpdate>("windowDidUpdate:"),
                instance_method<&KXWindowEvents::windowDidMiniaturize>("windowDidMiniaturize:"),
                instance_method<&KXWindowEvents::windowDidDeminiaturize>("windowDidDeminiaturize:"),
                instance_method<&KXWindowEvents::windowShouldZoom>("windowShouldZoom:toFrame:"),
            });
    });
}
