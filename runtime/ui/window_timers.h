#pragma once
// Window timers: a repeating native timer per (window, timer number) that makes the event loop
// report EventKindTimer. Timers belong to their window: they live in its record's timer array
// and stop when it closes. They run in the default run-loop mode only, so they wait while a menu
// is tracked or a modal alert runs.

#include <cstdint>

namespace rt {

struct WindowRecord;

// Starts `timer` of `window` firing every `milliseconds`, the first firing one interval from now;
// a running timer of that number is replaced, never doubled. 1 when the timer runs; 0 for a
// window that does not exist or an interval below 1 ms (the old timer is stopped all the same).
int StartWindowTimer(int64_t window, int64_t timer, int32_t milliseconds);

// Stops the timer and drops its ticks that are still queued. Unknown timers are ignored.
void StopWindowTimer(int64_t window, int64_t timer);

// For the window's close: invalidates every timer of the record and releases its timer array.
void invalidate_window_timers(WindowRecord& record);

// The number of running timers of a window (0 when it does not exist); for tests.
int64_t window_timer_count(int64_t window);

} // namespace rt
