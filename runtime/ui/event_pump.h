#pragma once
// One pass of the event pump, the body of WaitEventTimeout: take a queued runtime event if there
// is one; otherwise wait for one native event, let the filters and the window shortcuts have it,
// hand it to the toolkit, and take whatever runtime event that produced. The native side comes in
// through NativeEventSource, so the pass runs the same over the platform's application object and
// over a test's stand-in.

#include <cstdint>

namespace rt {

// How long a wait may block: without limit, not at all, or a number of seconds from now.
struct WaitDeadline {
    enum class Kind : uint8_t { Forever, Now, After };
    Kind kind;
    double seconds; // for After
};

// Negative milliseconds wait without limit, 0 only looks, a positive value waits that long.
WaitDeadline wait_deadline(int32_t milliseconds);

class NativeEventSource {
  public:
    virtual ~NativeEventSource() = default;
    // Releases the current autorelease pool and makes a fresh one, so that native objects handed
    // to the program live until its next wait.
    virtual void renew_autorelease_pool() = 0;
    // The next native event of any type, removed from the application's queue, waiting until the
    // deadline in the default run-loop mode; null when none arrived in time.
    virtual void* next_native_event(const WaitDeadline& deadline) = 0;
    // For a key-down event whose window is a runtime window: whether one of that window's
    // shortcuts matches it, and if so the shortcut's item number and the window number.
    virtual bool match_window_shortcut(void* native_event, int64_t& item, int64_t& window) = 0;
    // Hands the event to the application (sendEvent:) and lets it update its windows.
    virtual void dispatch_native_event(void* native_event) = 0;
};

// Results of a pass besides a runtime event kind.
inline constexpr int32_t PumpTimedOut = 0;
inline constexpr int32_t PumpNoRuntimeEvent = -1;

// The runtime event kind taken; PumpTimedOut when no native event arrived before the deadline;
// PumpNoRuntimeEvent when a native event was processed and no runtime event resulted.
int32_t pump_event(NativeEventSource& source, int32_t milliseconds);

} // namespace rt
