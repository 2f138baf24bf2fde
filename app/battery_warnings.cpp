#include "app/battery_warnings.h"

namespace app {
namespace {

bool discharging(const WarningReading& reading) {
    return !reading.on_mains && !reading.charging;
}

// A threshold warning fires when the charge falls to `threshold` while discharging, and is armed
// again once the charge is `k_rearm_margin` points above it.
bool crosses_down(bool& armed, int threshold, const WarningReading& reading) {
    if (reading.percent >= threshold + k_rearm_margin) armed = true;
    if (!armed || !discharging(reading) || reading.percent > threshold) return false;
    armed = false;
    return true;
}

// Full on mains, or held at a limit, fires once, and is armed again when the machine is unplugged
// or the charge drops `k_rearm_margin` points below full or the limit. A held charge counts as at
// its limit from one point under it, where gauges often settle.
bool becomes_full(bool& armed, const WarningReading& reading) {
    const int top = reading.held_at.value_or(100);
    if (!reading.on_mains || reading.percent <= top - k_rearm_margin) armed = true;
    const bool reached = reading.fully_charged || (reading.held_at && reading.percent >= top - 1);
    if (!armed || !reading.on_mains || !reached) return false;
    armed = false;
    return true;
}

} // namespace

std::optional<WarningKind> next_warning(WarningState& state, const WarningSettings& settings,
                                        const WarningReading& reading) {
    const bool full = becomes_full(state.full_armed, reading);
    const bool quiet = reading.desktop_warns && !settings.even_where_desktop_warns;
    const bool critical = crosses_down(state.critical_armed, settings.critical_percent, reading);
    const bool low = crosses_down(state.low_armed, settings.low_percent, reading);
    if (!settings.enabled) return std::nullopt;
    if (full) return WarningKind::full;
    if (quiet) return std::nullopt;
    if (critical) return WarningKind::critical;
    if (low) return WarningKind::low;
    return std::nullopt;
}

} // namespace app
