#pragma once
// NSRunLoop: the timers of one thread and the waiting between them. Running the loop in a mode
// fires the timers of that mode as the platform clock reaches them, in order of their fire
// dates (timers due at the same instant fire in the order they were scheduled), and waits
// through the platform's clock waiter (clock_wait.h) in between. Timers of other modes wait
// until a run in one of their modes: a default-mode timer does not fire while a modal panel runs.
//
// Besides timers the loop has one input source: wake(), which the application's event queue
// raises when it posts an event, so that a run waiting for timers returns to take the event.
//
// Each thread has its own run loop; the main thread's is also reachable from other threads as
// main(). Timers are fired on the thread that runs the loop.

#include "platform/foundation/clock_wait.h"
#include "platform/foundation/ns_date.h"
#include "platform/foundation/ns_string.h"
#include "platform/objc/native_class.h"

#include <cstdint>
#include <limits>
#include <mutex>
#include <optional>
#include <vector>

class NSTimer;

using NSRunLoopMode = NSString*;

extern NSString* const NSDefaultRunLoopMode;
extern NSString* const NSModalPanelRunLoopMode;
// Not a mode one runs in: scheduling in it schedules in every common mode (the default and the
// modal panel modes).
extern NSString* const NSRunLoopCommonModes;

// How run_until ended.
enum class RunLoopEnd {
    deadline, // the deadline was reached
    woken,    // wake() was called (before or during the run)
    stalled,  // virtual time could not move further (end of the driver's input)
};

inline constexpr double k_no_deadline = std::numeric_limits<double>::infinity();

class NSRunLoop : public NSObject {
  public:
    NSRunLoop() = default;
    ~NSRunLoop() override;

    // The calling thread's run loop, made on first use; the main thread's is immortal.
    static NSRunLoop* current();
    static NSRunLoop* main();

    // Schedules `timer` in `mode` (NSRunLoopCommonModes: every common mode). A timer belongs to
    // one run loop: adding it to another, or adding an invalid timer, does nothing.
    void addTimer(NSTimer* timer, NSString* mode);

    // Runs in `mode` until platform_now() reaches `deadline` (k_no_deadline: no limit), firing
    // each timer of the mode as it falls due, and returns early when woken. Due timers are fired
    // before the wake is looked at, and a wake raised before the call ends the run at once. Runs
    // may nest (a timer's action may run a modal loop).
    RunLoopEnd run_until(double deadline, NSString* mode);
    // Ends the current or next run_until of this loop early. Thread-safe.
    void wake() { m_wake.raise(); }
    // Fires every timer of `mode` due now, in order; returns how many fired.
    std::size_t fire_due_timers(NSString* mode);
    // The earliest fire date among the timers of `mode`; none when it has no timers.
    std::optional<double> next_fire_time(NSString* mode) const;

    // For NSTimer: takes an invalidated timer off the loop.
    void remove_timer(NSTimer* timer);

  private:
    struct Entry {
        ObjcRef<NSTimer> timer;
        std::vector<ObjcRef<NSString>> modes;
        std::uint64_t order; // scheduling order, the tie-break between equal fire dates
    };

    // The due timer of `mode` that fires first, retained; empty when none is due at `now`.
    ObjcRef<NSTimer> first_due(NSString* mode, double now) const;
    static bool entry_has_mode(const Entry& entry, NSString* mode);

    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries;
    std::uint64_t m_next_order = 0;
    WakeSignal m_wake;
};

void register_ns_run_loop_class();
