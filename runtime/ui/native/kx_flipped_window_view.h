#pragma once
// The content view of every runtime window: flipped, so that the program's drawing and its
// controls measure from the top-left corner, and reporting repaints and mouse releases as runtime
// events of its window.

#include "platform/appkit/ns_view.h"

#include <cstdint>

class NSEvent;

// A view whose origin is its top-left corner.
class KX_NSFlippedView : public NSView {
  public:
    KX_NSFlippedView() = default;

    BOOL isFlipped() const { return YES; }
};

class KXFlippedWindowView : public KX_NSFlippedView {
  public:
    KXFlippedWindowView() = default;

    int64_t window_id() const { return m_window_id; }
    void set_window_id(int64_t window_id) { m_window_id = window_id; }

    // Draws as a view does, then reports EventKindRepaint.
    void drawRect(NSRect dirty);
    // A click on the first release, a double click on the second; longer runs report nothing.
    void mouseUp(NSEvent* event);
    // A right click for a single release only.
    void rightMouseUp(NSEvent* event);

  private:
    void post(int32_t kind) const;

    int64_t m_window_id = 0;
};

// Register the classes once; later calls do nothing. The window view's registration registers
// its superclass first.
void register_kx_ns_flipped_view_class();
void register_kx_flipped_window_view_class();
