#pragma once
// KXWindowEvents: the delegate of a runtime window. It turns the window's notifications into
// runtime events that carry the window number as object and window, and it tears the window's
// runtime state down when the window closes, whoever closes it. The close button never closes a
// runtime window: it only reports EventKindCloseWindow, and the program decides.
//
// The delegate is owned by the window record and releases itself at the close.

#include "platform/appkit/ns_geometry.h"
#include "platform/objc/native_class.h"

#include <cstdint>

class NSNotification;
class NSWindow;

class KXWindowEvents : public NSObject {
  public:
    KXWindowEvents() = default;

    // -connect:withID:: remembers the window (not retained) and its number (the record address
    // of an AutoNumber window), clears the pending zoom event and becomes the window's delegate.
    void connect(NSWindow* window, int64_t window_id);
    int64_t windowID() const { return m_window_id; }

    BOOL windowShouldClose(id sender);
    void windowWillClose(NSNotification* notification);
    // The size event of a resize, full-screen change or zoom, after the pending zoom event.
    void kxHandleResizeEvent();
    void windowDidResize(NSNotification* notification);
    void windowDidEnterFullScreen(NSNotification* notification);
    void windowDidExitFullScreen(NSNotification* notification);
    void windowDidMove(NSNotification* notification);
    void windowDidBecomeKey(NSNotification* notification);
    void windowDidResignKey(NSNotification* notification);
    void windowDidUpdate(NSNotification* notification);
    void windowDidMiniaturize(NSNotification* notification);
    void windowDidDeminiaturize(NSNotification* notification);
    // Records whether the zoom makes the window larger (maximise) or not (restore); always YES.
    BOOL windowShouldZoom(NSWindow* window, NSRect new_frame);

    // The pending maximise or restore kind, 0 when none; for tests.
    int32_t pending_zoom_event() const { return m_zoom_event; }

  private:
    void post(int32_t kind) const;

    NSWindow* m_window = nullptr; // not retained: the window owns its delegate's life
    int64_t m_window_id = 0;
    int32_t m_zoom_event = 0;
};

// Registers the class once; later calls do nothing.
void register_kx_window_events_class();
