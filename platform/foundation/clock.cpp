#include "platform/foundation/clock.h"

#include <atomic>
#include <ctime>

namespace {

std::atomic<PlatformClock*> g_clock{nullptr};

double real_time() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

} // namespace

double platform_now() {
    PlatformClock* clock = g_clock.load(std::memory_order_acquire);
    return clock ? clock->now() : real_time();
}

PlatformClock* set_platform_clock(PlatformClock* clock) {
    return g_clock.exchange(clock, std::memory_order_acq_rel);
}
