#include "runtime/ui/wait_event.h"

#include "platform/appkit/ns_application.h"
#include "platform/appkit/ns_event.h"
#include "platform/foundation/ns_date.h"
#include "platform/foundation/ns_run_loop.h"
#include "platform/objc/autorelease_pool.h"
#include "platform/objc/message_send.h"
#include "runtime/ui/event_pump.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/window_records.h"

namespace rt {

namespace {

// The main thread's pool, as the object runtime's token for it: a pool object would be made and
// freed at every wait only to hold this token, and nothing else ever sees the pool.
void* g_main_pool = nullptr;
WindowShortcutMatcher g_shortcut_matcher = nullptr;

NSDate* deadline_date(const WaitDeadline& deadline) {
    switch (deadline.kind) {
    case WaitDeadline::Kind::Forever:
        return NSDate::distantFuture(nil);
    case WaitDeadline::Kind::Now:
        return NSDate::date(nil);
    case WaitDeadline::Kind::After:
        break;
    }
    return NSDate::dateWithTimeIntervalSinceNow(nil, deadline.seconds);
}

// The wake event carries nothing and never changes, so one event, kept for the life of the
// process, is posted every time.
NSEvent* wake_event() {
    static NSEvent* const s_event = static_cast<NSEvent*>(objc_retain(NSEvent::otherEventWithType(
        nil, NSEventTypeApplicationDefined, NSPoint{}, 0, 0, 0, nil, 0, 0, 0)));
    return s_event;
}

// The native side of the pump and of the queue's wake-ups: the shared application object.
class ApplicationEvents final : public NativeEventSource, public NativeEventWaker {
  public:
    void renew_autorelease_pool() override { renew_main_autorelease_pool(); }

    void* next_native_event(const WaitDeadline& deadline) override {
        return NSApp->nextEventMatchingMaskUntilDateInModeDequeue(
            NSEventMaskAny, deadline_date(deadline), NSDefaultRunLoopMode, YES);
    }

    bool match_window_shortcut(void* native_event, int64_t& item, int64_t& window) override {
        auto* event = static_cast<NSEvent*>(native_event);
        if (!g_shortcut_matcher || event->type() != NSEventTypeKeyDown) return false;
        NSWindow* native_window = event->window();
        if (!native_window) return false;
        int64_t number = NativeWindowID(native_window);
        if (number == -1 || !g_shortcut_matcher(event, number, item)) return false;
        window = number;
        return true;
    }

    void dispatch_native_event(void* native_event) override {
        // By selector, so that the application class's own sendEvent: runs.
        static const SEL s_send_event = sel_registerName("sendEvent:");
        msg_send<void>(NSApp, s_send_event, static_cast<NSEvent*>(native_event));
        NSApp->updateWindows();
    }

    bool native_event_pending() override { return NSApp && NSApp->native_event_pending(); }

    void post_wake_event() override { NSApp->postEventAtStart(wake_event(), YES); }
};

ApplicationEvents g_application_events;

} // namespace

void renew_main_autorelease_pool() {
    if (g_main_pool) objc_autoreleasePoolPop(g_main_pool);
    g_main_pool = objc_autoreleasePoolPush();
}

int32_t WaitEventTimeout(int32_t milliseconds) {
    if (!NSApp) return PumpTimedOut;
    return pump_event(g_application_events, milliseconds);
}

int32_t WaitEvent() {
    return WaitEventTimeout(-1);
}

void set_window_shortcut_matcher(WindowShortcutMatcher matcher) {
    g_shortcut_matcher = matcher;
}

void install_application_waker() {
    set_native_event_waker(&g_application_events);
}

} // namespace rt
