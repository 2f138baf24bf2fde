#include "platform/foundation/virtual_clock.h"

#include <algorithm>
#include <cmath>
#include <utility>

VirtualClock::VirtualClock(double start) : m_start(start), m_now(start) {}

double VirtualClock::now() const {
    std::lock_guard lock(m_mutex);
    return m_now;
}

void VirtualClock::advance(double seconds) {
    if (!(seconds > 0)) return;
    std::lock_guard lock(m_mutex);
    m_allowance_ns += std::llround(seconds * 1e9);
}

double VirtualClock::horizon() const {
    std::lock_guard lock(m_mutex);
    return m_start + static_cast<double>(m_allowance_ns) / 1e9;
}

void VirtualClock::set_input_reader(std::function<bool()> reader) {
    std::lock_guard lock(m_mutex);
    m_reader = std::move(reader);
}

bool VirtualClock::move_towards(double deadline) {
    std::lock_guard lock(m_mutex);
    double horizon = m_start + static_cast<double>(m_allowance_ns) / 1e9;
    // Time never runs backwards, even when an earlier deadline is asked for.
    m_now = std::max(m_now, std::min(deadline, horizon));
    return m_now >= deadline;
}

WaitEnd VirtualClock::wait_until(double deadline, WakeSignal& wake) {
    for (;;) {
        if (wake.consume()) return WaitEnd::woken;
        if (move_towards(deadline)) return WaitEnd::deadline;
        std::function<bool()> reader;
        {
            std::lock_guard lock(m_mutex);
            reader = m_reader;
        }
        if (!reader || !reader()) return wake.consume() ? WaitEnd::woken : WaitEnd::stalled;
    }
}
