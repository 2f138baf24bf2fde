#pragma once
// A clock whose time moves only when told. advance() does not move the time at once: it lets
// the time go further, and each wait then moves it to the wait's deadline or to the end of the
// allowance, whichever comes first. So a run loop asked to advance an hour stops at every timer
// on the way, in order, and each timer sees the time it was due at.

#include "platform/foundation/clock.h"
#include "platform/foundation/clock_wait.h"

#include <cstdint>
#include <functional>
#include <mutex>

class VirtualClock final : public PlatformClock, public ClockWaiter {
  public:
    // Starts at `start` seconds since 1970 with no allowance.
    explicit VirtualClock(double start = 0);

    double now() const override;
    // Lets waits move the time `seconds` further than the current allowance (negative: nothing).
    void advance(double seconds);
    // The latest time waits may move to.
    double horizon() const;

    // Called, without locks held, when a wait has used up the allowance before its deadline: the
    // owner reads input there, which may advance the clock or raise the wait's signal. It returns
    // false when no input can come any more; the wait then ends as stalled, as it does at once
    // when no reader is set.
    void set_input_reader(std::function<bool()> reader);

    WaitEnd wait_until(double deadline, WakeSignal& wake) override;

  private:
    // Moves the time towards `deadline` within the allowance; true when the deadline is reached.
    bool move_towards(double deadline);

    mutable std::mutex m_mutex;
    const double m_start;
    double m_now;
    // Kept in whole nanoseconds after the start so that many small advances add up exactly.
    std::int64_t m_allowance_ns = 0;
    std::function<bool()> m_reader;
};

// Installs a virtual clock as the platform's clock and waiter for the life of the scope.
class VirtualClockScope {
  public:
    explicit VirtualClockScope(VirtualClock& clock)
        : m_previous_clock(set_platform_clock(&clock)),
          m_previous_waiter(set_clock_waiter(&clock)) {}
    ~VirtualClockScope() {
        set_clock_waiter(m_previous_waiter);
        set_platform_clock(m_previous_clock);
    }
    VirtualClockScope(const VirtualClockScope&) = delete;
    VirtualClockScope& operator=(const VirtualClockScope&) = delete;

  private:
    PlatformClock* m_previous_clock;
    ClockWaiter* m_previous_waiter;
};
