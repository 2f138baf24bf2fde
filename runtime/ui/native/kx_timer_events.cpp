#include "runtime/ui/native/kx_timer_events.h"

#include "platform/foundation/ns_timer.h"
#include "runtime/ui/event_queue.h"

#include <mutex>

id KXTimerEvents::initWithWindow(int64_t window_id, int64_t timer_id) {
    id self = NSObject::init();
    if (!self) return nil;
    m_window_id = window_id;
    m_timer_id = timer_id;
    return self;
}

void KXTimerEvents::timerFireEvent(NSTimer*) {
    rt::QueueEvent(rt::EventKindTimer, m_timer_id, m_window_id, 0);
}

void register_kx_timer_events_class() {
    static std::once_flag once;
    std::call_once(once, [] {
        register_native_class<KXTimerEvents>(
            "KXTimerEvents", "NSObject",
            {
                instance_method<&KXTimerEvents::initWithWindow>("initWithWindow:timer:"),
                instance_method<&KXTimerEvents::timerID>("timerID"),
                instance_method<&KXTimerEvents::timerFireEvent>("timerFireEvent:"),
            });
    });
}
