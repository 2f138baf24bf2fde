#pragma once
// Waiting on the platform clock. A run loop with nothing to do waits here until a deadline on
// platform_now()'s scale or until it is woken. The installed waiter decides how time passes:
// the default one sleeps in real time; a virtual clock (virtual_clock.h) moves its own time.

#include <condition_variable>
#include <cstdint>
#include <mutex>

// Why a wait ended.
enum class WaitEnd {
    deadline, // the clock reached the deadline
    woken,    // the wait's WakeSignal was raised
    stalled,  // virtual time cannot move further and no input can come (the end of input)
};

// A wake-up request for one waiter, raised from any thread. A raise before the wait begins is
// kept, so a wake posted just before a wait is never lost; a wait consumes it.
class WakeSignal {
  public:
    void raise();
    // True, once, when the signal was raised since the last consume.
    bool consume();
    // Blocks for at most `seconds` of real time, or until raised or nudged; does not consume.
    void wait_for(double seconds);
    // Ends a wait_for in progress without raising the signal, so that the waiter looks again at
    // what it waits for (a clock that another thread moves).
    void nudge();

  private:
    std::mutex m_mutex;
    std::condition_variable m_raised;
    bool m_pending = false;
    uint64_t m_nudges = 0;
};

// How the platform spends time it waits.
class ClockWaiter {
  public:
    virtual ~ClockWaiter() = default;
    // Waits until platform_now() >= `deadline` (seconds since 1970; +infinity for no limit) or
    // until `wake` is raised; a raised signal is consumed and wins over a reached deadline.
    virtual WaitEnd wait_until(double deadline, WakeSignal& wake) = 0;
};

// Waits through the installed waiter.
WaitEnd platform_wait_until(double deadline, WakeSignal& wake);

// Installs `waiter` (null: real time again) and returns the one it replaces (null for real
// time). The caller keeps ownership and keeps the waiter alive while it is installed.
ClockWaiter* set_clock_waiter(ClockWaiter* waiter);
