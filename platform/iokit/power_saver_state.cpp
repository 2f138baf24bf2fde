#include "platform/iokit/power_saver_state.h"

#include <atomic>

namespace {

std::atomic<PowerSaver> g_state{PowerSaver::unknown};

} // namespace

PowerSaver power_saver_state() {
    return g_state.load(std::memory_order_relaxed);
}

void set_power_saver_state(PowerSaver state) {
    g_state.store(state, std::memory_order_relaxed);
}
