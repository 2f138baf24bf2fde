#include "platform/foundation/ns_timer.h"

#include "platform/foundation/clock.h"
#include "platform/foundation/instance_of.h"
#include "platform/foundation/ns_run_loop.h"
#include "platform/objc/message_send.h"

#include <cmath>
#include <utility>

namespace {

constexpr NSTimeInterval k_shortest_interval = 0.0001;

// A native action of the usual shape, taking the timer, is called as the function it is, which
// saves the generic send's decoding at every firing; any other action goes by message.
void send_action(id target, SEL selector, NSTimer* timer) {
    using Direct = void (*)(id, SEL, NSTimer*);
    ResolvedMethod method = resolve_method(target, selector);
    if (method.implementation_type == implementation_type_of<Direct>()) {
        reinterpret_cast<Direct>(method.imp)(target, selector, timer);
        return;
    }
    objc_msgSend(target, selector, static_cast<id>(timer));
}

} // namespace

void NSTimer::configure(double first_fire_time, NSTimeInterval interval, id target, SEL selector,
                        id user_info, bool repeats) {
    m_anchor_time = first_fire_time;
    m_fire_time = first_fire_time;
    m_interval = repeats && !(interval > 0) ? k_shortest_interval : interval;
    m_target = ObjcRef<>::retain(target);
    m_selector = selector;
    m_user_info = ObjcRef<>::retain(user_info);
    m_repeats = repeats;
    m_valid = true;
}

NSTimer* NSTimer::timerWithTimeInterval(Class self, NSTimeInterval interval, id target,
                                        SEL selector, id user_info, BOOL repeats) {
    ObjcRef<NSTimer> timer = make_instance_of<NSTimer>(self);
    if (!timer) return nil;
    double delay = interval > 0 ? interval : 0;
    timer->configure(platform_now() + delay, interval, target, selector, user_info, repeats);
    return timer.autorelease();
}

NSTimer* NSTimer::scheduledTimerWithTimeInterval(Class self, NSTimeInterval interval, id target,
                                                 SEL selector, id user_info, BOOL repeats) {
    NSTimer* timer = timerWithTimeInterval(self, interval, target, selector, user_info, repeats);
    if (timer) NSRunLoop::current()->addTimer(timer, NSDefaultRunLoopMode);
    return timer;
}

id NSTimer::initWithFireDate(NSDate* date, NSTimeInterval interval, id target, SEL selector,
                             id user_info, BOOL repeats) {
    double first = date ? date->timeIntervalSince1970() : platform_now();
    configure(first, interval, target, selector, user_info, repeats);
    return this;
}

void NSTimer::invalidate() {
    if (!m_valid) return;
    m_valid = false;
    // The run loop may hold the last reference; keep the timer alive until this call is done.
    ObjcRef<NSTimer> keep = ObjcRef<NSTimer>::retain(this);
    ObjcRef<> target = std::move(m_target);
    if (m_run_loop) m_run_loop->remove_timer(this);
}

void NSTimer::fire() {
    if (!m_valid) return;
    ObjcRef<NSTimer> keep = ObjcRef<NSTimer>::retain(this);
    ObjcRef<> target = m_target; // the action may invalidate the timer
    bool was_firing = std::exchange(m_firing, true);
    send_action(target.get(), m_selector, this);
    m_firing = was_firing;
    if (!m_repeats) invalidate();
}

void NSTimer::reschedule_after(double now) {
    if (!m_repeats || now < m_fire_time) return;
    // Counting whole intervals from the anchor, rather than adding one interval per firing,
    // keeps rounding errors from adding up over a long run.
    double steps = std::floor((now - m_anchor_time) / m_interval) + 1;
    double next = m_anchor_time + steps * m_interval;
    while (next <= now)
        next = m_anchor_time + ++steps * m_interval;
    while (steps > 1 && m_anchor_time + (steps - 1) * m_interval > now)
        next = m_anchor_time + --steps * m_interval;
    m_fire_time = next;
}

void register_ns_timer_class() {
    register_native_class<NSTimer>(
        "NSTimer", "NSObject",
        {
            class_method<&NSTimer::scheduledTimerWithTimeInterval>(
                "scheduledTimerWithTimeInterval:target:selector:userInfo:repeats:"),
            class_method<&NSTimer::timerWithTimeInterval>(
                "timerWithTimeInterval:target:selector:userInfo:repeats:"),
            instance_method<&NSTimer::initWithFireDate>(
                "initWithFireDate:interval:target:selector:userInfo:repeats:"),
        });
}
