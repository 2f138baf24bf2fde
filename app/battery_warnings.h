#pragma once
// When to warn about the charge: low, critical, and full on mains. The decision is pure: the
// state it keeps between refreshes and a reading in, which warning (if any) to show out. Each
// kind fires once per crossing and is armed again only when the charge moves back past its
// threshold by a margin, so that a charge hovering at the threshold does not repeat it.

#include <cstdint>
#include <optional>

namespace app {

// `full` is also where charging held at a limit reports "limit reached": the same rule, with the
// limit in place of full.
enum class WarningKind { low, critical, full };

struct WarningSettings {
    bool enabled = true;
    int low_percent = 20;
    int critical_percent = 5;
    // Whether low and critical show where the desktop's own power manager already warns.
    bool even_where_desktop_warns = false;
};

struct WarningReading {
    int percent = 0;
    bool on_mains = false;
    bool charging = false;
    bool fully_charged = false;
    // The limit charging is held at; none when it is not held.
    std::optional<int> held_at;
    // The desktop's power manager warns at low and critical itself.
    bool desktop_warns = false;
};

struct WarningState {
    bool low_armed = true;
    bool critical_armed = true;
    bool full_armed = true;
};

// Points the charge must move back past a threshold before its warning can show again.
inline constexpr int k_rearm_margin = 3;

// The warning this reading calls for, updating `state`; null: none.
std::optional<WarningKind> next_warning(WarningState& state, const WarningSettings& settings,
                                        const WarningReading& reading);

} // namespace app
