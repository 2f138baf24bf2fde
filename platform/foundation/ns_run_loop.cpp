#include "platform/foundation/ns_run_loop.h"

#include "platform/foundation/clock.h"
#include "platform/foundation/ns_timer.h"

#include <algorithm>
#include <unistd.h>

namespace {

bool same_mode(NSString* a, NSString* b) {
    return a == b || (a && b && a->isEqualToString(b));
}

bool is_main_thread() {
    return gettid() == getpid();
}

// The modes a timer scheduled in `mode` runs in.
std::vector<ObjcRef<NSString>> expand_mode(NSString* mode) {
    if (!same_mode(mode, NSRunLoopCommonModes)) return {ObjcRef<NSString>::retain(mode)};
    return {ObjcRef<NSString>::retain(NSDefaultRunLoopMode),
            ObjcRef<NSString>::retain(NSModalPanelRunLoopMode)};
}

} // namespace

NSString* const NSDefaultRunLoopMode = NSString::make_constant(u"kCFRunLoopDefaultMode");
NSString* const NSModalPanelRunLoopMode = NSString::make_constant(u"NSModalPanelRunLoopMode");
NSString* const NSRunLoopCommonModes = NSString::make_constant(u"kCFRunLoopCommonModes");

NSRunLoop::~NSRunLoop() {
    for (Entry& entry : m_entries)
        entry.timer->set_run_loop(nullptr);
}

NSRunLoop* NSRunLoop::main() {
    static NSRunLoop* s_main = [] {
        NSRunLoop* loop = make_native<NSRunLoop>().take();
        if (loop) ObjectHeader::make_immortal(*loop);
        return loop;
    }();
    return s_main;
}

NSRunLoop* NSRunLoop::current() {
    if (is_main_thread()) return main();
    thread_local ObjcRef<NSRunLoop> t_loop = make_native<NSRunLoop>();
    return t_loop.get();
}

void NSRunLoop::addTimer(NSTimer* timer, NSString* mode) {
    if (!timer || !mode || !timer->isValid()) return;
    if (timer->run_loop() && timer->run_loop() != this) return;
    std::lock_guard lock(m_mutex);
    timer->set_run_loop(this);
    auto found = std::find_if(m_entries.begin(), m_entries.end(),
                              [timer](const Entry& entry) { return entry.timer.get() == timer; });
    if (found == m_entries.end()) {
        m_entries.push_back({ObjcRef<NSTimer>::retain(timer), {}, m_next_order++});
        found = m_entries.end() - 1;
    }
    for (ObjcRef<NSString>& added : expand_mode(mode)) {
        if (!entry_has_mode(*found, added.get())) found->modes.push_back(std::move(added));
    }
}

void NSRunLoop::remove_timer(NSTimer* timer) {
    ObjcRef<NSTimer> keep; // released after the lock, in case this was the last reference
    std::lock_guard lock(m_mutex);
    auto found = std::find_if(m_entries.begin(), m_entries.end(),
                              [timer](const Entry& entry) { return entry.timer.get() == timer; });
    if (found == m_entries.end()) return;
    keep = std::move(found->timer);
    m_entries.erase(found);
    keep->set_run_loop(nullptr);
}

bool NSRunLoop::entry_has_mode(const Entry& entry, NSString* mode) {
    return std::any_of(entry.modes.begin(), entry.modes.end(),
                       [mode](const ObjcRef<NSString>& m) { return same_mode(m.get(), mode); });
}

ObjcRef<NSTimer> NSRunLoop::first_due(NSString* mode, double now) const {
    std::lock_guard lock(m_mutex);
    const Entry* best = nullptr;
    for (const Entry& entry : m_entries) {
        double time = entry.timer->next_fire_time();
        if (time > now || entry.timer->is_firing() || !entry_has_mode(entry, mode)) continue;
        // Entries stay in scheduling order, so the first of equal fire dates wins.
        if (!best || time < best->timer->next_fire_time()) best = &entry;
    }
    return best ? best->timer : ObjcRef<NSTimer>();
}

std::size_t NSRunLoop::fire_due_timers(NSString* mode) {
    double now = platform_now();
    std::size_t fired = 0;
    // Repeating timers move past `now` before their action runs, so the pass ends.
    while (ObjcRef<NSTimer> timer = first_due(mode, now)) {
        if (timer->repeats()) timer->reschedule_after(now);
        timer->fire();
        ++fired;
    }
    return fired;
}

std::optional<double> NSRunLoop::next_fire_time(NSString* mode) const {
    std::lock_guard lock(m_mutex);
    std::optional<double> earliest;
    for (const Entry& entry : m_entries) {
        if (entry.timer->is_firing() || !entry_has_mode(entry, mode)) continue;
        double time = entry.timer->next_fire_time();
        if (!earliest || time < *earliest) earliest = time;
    }
    return earliest;
}

RunLoopEnd NSRunLoop::run_until(double deadline, NSString* mode) {
    for (;;) {
        fire_due_timers(mode);
        if (m_wake.consume()) return RunLoopEnd::woken;
        if (platform_now() >= deadline) return RunLoopEnd::deadline;
        double until = std::min(deadline, next_fire_time(mode).value_or(k_no_deadline));
        switch (platform_wait_until(until, m_wake)) {
        case WaitEnd::woken:
            return RunLoopEnd::woken;
        case WaitEnd::stalled:
            return RunLoopEnd::stalled;
        case WaitEnd::deadline:
            break;
        }
    }
}

void register_ns_run_loop_class() {
    for (NSString* constant : {NSDefaultRunLoopMode, NSModalPanelRunLoopMode, NSRunLoopCommonModes})
        NSString::give_constant_class(constant);
    register_native_class<NSRunLoop>("NSRunLoop", "NSObject", {});
}
