#pragma once
// KXTimerEvents: the target and the user information of one window timer. Each firing posts
// EventKindTimer with the timer number as object and the window number as window; the queue's
// coalescing keeps a program that falls behind to one waiting tick.

#include "platform/objc/native_class.h"

#include <cstdint>

class NSTimer;

class KXTimerEvents : public NSObject {
  public:
    KXTimerEvents() = default;

    // -initWithWindow:timer:
    id initWithWindow(int64_t window_id, int64_t timer_id);
    int64_t window_id() const { return m_window_id; }
    int64_t timerID() const { return m_timer_id; }
    void timerFireEvent(NSTimer* timer);

  private:
    int64_t m_window_id = 0;
    int64_t m_timer_id = 0;
};

// Registers the class once; later calls do nothing.
void register_kx_timer_events_class();
