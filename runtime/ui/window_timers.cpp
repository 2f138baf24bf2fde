#include "runtime/ui/window_timers.h"

#include "platform/foundation/ns_array.h"
#include "platform/foundation/ns_date.h"
#include "platform/foundation/ns_run_loop.h"
#include "platform/foundation/ns_timer.h"
#include "platform/objc/message_send.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/native/kx_timer_events.h"
#include "runtime/ui/window_records.h"

namespace rt {

namespace {

NSTimer* timer_at(NSMutableArray* timers, NSUInteger index) {
    return static_cast<NSTimer*>(timers->objectAtIndex(index));
}

bool timer_has_number(NSTimer* timer, int64_t number) {
    id events = timer ? timer->userInfo() : nil;
    if (!events || !events->respondsToSelector(sel_registerName("timerID"))) return false;
    return msg_send<int64_t>(events, "timerID") == number;
}

// The index of the first timer of that number, or NSNotFound.
NSUInteger find_timer(NSMutableArray* timers, int64_t number) {
    for (NSUInteger index = 0; index < timers->count(); ++index)
        if (timer_has_number(timer_at(timers, index), number)) return index;
    return NSNotFound;
}

ObjcRef<KXTimerEvents> make_timer_events(int64_t window, int64_t timer) {
    register_kx_timer_events_class();
    ObjcRef<KXTimerEvents> events = make_native<KXTimerEvents>();
    if (!events || !events->initWithWindow(window, timer)) return {};
    return events;
}

ObjcRef<NSTimer> make_repeating_timer(NSTimeInterval interval, KXTimerEvents* events) {
    ObjcRef<NSTimer> timer = make_native<NSTimer>();
    if (!timer) return {};
    NSDate* first = NSDate::dateWithTimeIntervalSinceNow(native_class<NSDate>(), interval);
    if (!timer->initWithFireDate(first, interval, events, sel_registerName("timerFireEvent:"),
                                 events, YES))
        return {};
    return timer;
}

} // namespace

int StartWindowTimer(int64_t window, int64_t timer, int32_t milliseconds) {
    StopWindowTimer(window, timer);
    WindowRecord* record = window_record(window);
    if (!record || milliseconds < 1) return 0;
    ObjcRef<KXTimerEvents> events = make_timer_events(window, timer);
    if (!events) return 0;
    if (!record->timers) {
        record->timers = NSMutableArray::make().take();
        if (!record->timers) return 0;
    }
    const NSTimeInterval interval = milliseconds / 1000.0;
    ObjcRef<NSTimer> native_timer = make_repeating_timer(interval, events.get());
    if (!native_timer) return 0;
    record->timers->addObject(native_timer.get());
    NSRunLoop::main()->addTimer(native_timer.get(), NSDefaultRunLoopMode);
    return 1;
}

void StopWindowTimer(int64_t window, int64_t timer) {
    WindowRecord* record = window_record(window);
    if (!record || !record->timers) return;
    const NSUInteger index = find_timer(record->timers, timer);
    if (index == NSNotFound) return;
    timer_at(record->timers, index)->invalidate();
    record->timers->removeObjectAtIndex(index);
    RemoveQueuedEvents(EventKindTimer, timer, window, -1);
}

void invalidate_window_timers(WindowRecord& record) {
    NSMutableArray* timers = record.timers;
    if (!timers) return;
    for (NSUInteger index = 0; index < timers->count(); ++index)
        timer_at(timers, index)->invalidate();
    record.timers = nullptr;
    objc_release(timers);
}

int64_t window_timer_count(int64_t window) {
    WindowRecord* record = window_record(window);
    if (!record || !record->timers) return 0;
    return static_cast<int64_t>(record->timers->count());
}

} // namespace rt
