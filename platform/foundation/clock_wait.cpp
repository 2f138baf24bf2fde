#include "platform/foundation/clock_wait.h"

#include "platform/foundation/clock.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <utility>

namespace {

// Real-time waits are taken in slices so that a far deadline cannot overflow the condition
// variable's time arithmetic, and so that a changed clock is noticed within a slice.
constexpr double k_longest_slice = 3600.0;

class RealTimeWaiter final : public ClockWaiter {
  public:
    WaitEnd wait_until(double deadline, WakeSignal& wake) override {
        for (;;) {
            if (wake.consume()) return WaitEnd::woken;
            double remaining = deadline - platform_now();
            if (remaining <= 0) return WaitEnd::deadline;
            wake.wait_for(std::min(remaining, k_longest_slice));
        }
    }
};

RealTimeWaiter g_real_time;
std::atomic<ClockWaiter*> g_waiter{nullptr};

} // namespace

void WakeSignal::raise() {
    {
        std::lock_guard lock(m_mutex);
        m_pending = true;
    }
    m_raised.notify_all();
}

bool WakeSignal::consume() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_pending, false);
}

void WakeSignal::wait_for(double seconds) {
    std::unique_lock lock(m_mutex);
    const uint64_t nudges = m_nudges;
    m_raised.wait_for(lock, std::chrono::duration<double>(seconds),
                      [&] { return m_pending || m_nudges != nudges; });
}

void WakeSignal::nudge() {
    {
        std::lock_guard lock(m_mutex);
        ++m_nudges;
    }
    m_raised.notify_all();
}

WaitEnd platform_wait_until(double deadline, WakeSignal& wake) {
    ClockWaiter* waiter = g_waiter.load(std::memory_order_acquire);
    return (waiter ? waiter : &g_real_time)->wait_until(deadline, wake);
}

ClockWaiter* set_clock_waiter(ClockWaiter* waiter) {
    return g_waiter.exchange(waiter, std::memory_order_acq_rel);
}
