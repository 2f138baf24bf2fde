#include "runtime/ui/event_pump.h"

#include "runtime/ui/event_queue.h"
#include "runtime/ui/native_event_filters.h"

namespace rt {

namespace {

// A key-down that matches a window shortcut becomes that shortcut's menu event and never
// reaches the window.
bool handled_as_shortcut(NativeEventSource& source, void* native_event) {
    int64_t item = 0;
    int64_t window = 0;
    if (!source.match_window_shortcut(native_event, item, window)) return false;
    QueueEvent(EventKindMenu, item, window, 0);
    return true;
}

} // namespace

WaitDeadline wait_deadline(int32_t milliseconds) {
    if (milliseconds < 0) return {WaitDeadline::Kind::Forever, 0.0};
    if (milliseconds == 0) return {WaitDeadline::Kind::Now, 0.0};
    return {WaitDeadline::Kind::After, milliseconds / 1000.0};
}

int32_t pump_event(NativeEventSource& source, int32_t milliseconds) {
    source.renew_autorelease_pool();
    if (const int32_t kind = TakeEvent(); kind != EventKindNone) return kind;
    void* native_event = source.next_native_event(wait_deadline(milliseconds));
    if (!native_event) {
        set_primary_event_filter_enabled(false);
        return PumpTimedOut;
    }
    if (!offer_native_event(native_event) && !handled_as_shortcut(source, native_event))
        source.dispatch_native_event(native_event);
    const int32_t kind = TakeEvent();
    return kind != EventKindNone ? kind : PumpNoRuntimeEvent;
}

} // namespace rt
