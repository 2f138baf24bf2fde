#include "app/battery_warnings.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace app {
namespace {

using Kind = std::optional<WarningKind>;
constexpr Kind none = std::nullopt;

struct Step {
    int percent;
    bool on_mains;
    bool full;
    Kind expected;
    int held_at = 0;
};

constexpr Step unplugged(int percent, Kind expected) {
    return {percent, false, false, expected};
}
constexpr Step plugged(int percent, Kind expected) {
    return {percent, true, false, expected};
}
constexpr Step full(Kind expected) {
    return {100, true, true, expected};
}
constexpr Step held(int percent, Kind expected) {
    return {percent, true, false, expected, 80};
}

struct Case {
    const char* name;
    WarningSettings settings;
    bool desktop_warns;
    std::vector<Step> steps;
};

std::string describe(Kind kind) {
    if (!kind) return "none";
    switch (*kind) {
    case WarningKind::low:
        return "low";
    case WarningKind::critical:
        return "critical";
    case WarningKind::full:
        return "full";
    }
    return "?";
}

WarningSettings thresholds(int low, int critical) {
    WarningSettings settings;
    settings.low_percent = low;
    settings.critical_percent = critical;
    return settings;
}

WarningSettings disabled() {
    WarningSettings settings;
    settings.enabled = false;
    return settings;
}

WarningSettings loud_beside_desktop() {
    WarningSettings settings;
    settings.even_where_desktop_warns = true;
    return settings;
}

const WarningKind low = WarningKind::low;
const WarningKind critical = WarningKind::critical;
const WarningKind full_kind = WarningKind::full;

TEST(BatteryWarnings, EachStepOfASequenceShowsTheExpectedWarning) {
    const std::vector<Case> cases = {
        {"low once at the default threshold and not again below it",
         {},
         false,
         {unplugged(22, none), unplugged(21, none), unplugged(20, low), unplugged(19, none),
          unplugged(20, none), unplugged(15, none)}},
        {"critical after low, once",
         {},
         false,
         {unplugged(21, none), unplugged(20, low), unplugged(6, none), unplugged(5, critical),
          unplugged(4, none), unplugged(1, none)}},
        {"a fall past both thresholds shows critical only",
         {},
         false,
         {unplugged(30, none), unplugged(4, critical), unplugged(3, none)}},
        {"hovering inside the margin does not re-arm low",
         {},
         false,
         {unplugged(20, low), unplugged(22, none), unplugged(20, none), unplugged(21, none),
          unplugged(19, none)}},
        {"back past the margin re-arms low",
         {},
         false,
         {unplugged(20, low), plugged(23, none), unplugged(22, none), unplugged(20, low)}},
        {"critical re-arms at its own margin",
         {},
         false,
         {unplugged(5, critical), unplugged(7, none), unplugged(5, none), plugged(8, none),
          unplugged(5, critical)}},
        {"no low or critical on mains",
         {},
         false,
         {plugged(20, none), plugged(5, none), plugged(3, none)}},
        {"unplugging below the threshold shows it then",
         {},
         false,
         {plugged(15, none), unplugged(15, low)}},
        {"thresholds of the settings",
         thresholds(40, 10),
         false,
         {unplugged(41, none), unplugged(40, low), unplugged(20, none), unplugged(11, none),
          unplugged(10, critical)}},
        {"quiet where the desktop warns",
         {},
         true,
         {unplugged(20, none), unplugged(5, none), unplugged(1, none)}},
        {"loud where the desktop warns when asked",
         loud_beside_desktop(),
         true,
         {unplugged(20, low), unplugged(5, critical)}},
        {"full on mains once per plug",
         {},
         false,
         {plugged(99, none), full(full_kind), full(none), full(none), unplugged(100, none),
          full(full_kind)}},
        {"full re-arms when the charge drops by the margin on mains",
         {},
         false,
         {full(full_kind), plugged(98, none), full(none), plugged(97, none), full(full_kind)}},
        {"full is never quiet for the desktop", {}, true, {plugged(90, none), full(full_kind)}},
        {"held at the limit once, from a point under it",
         {},
         false,
         {plugged(78, none), held(78, none), held(79, full_kind), held(80, none), held(78, none)}},
        {"held re-arms when the charge drops by the margin under the limit",
         {},
         false,
         {held(80, full_kind), held(77, none), plugged(78, none), held(80, full_kind)}},
        {"held above the limit counts as reached", {}, false, {held(95, full_kind)}},
        {"nothing when turned off",
         disabled(),
         false,
         {unplugged(20, none), unplugged(5, none), full(none)}},
    };
    for (const Case& test : cases) {
        WarningState state;
        int index = 0;
        for (const Step& step : test.steps) {
            WarningReading reading;
            reading.percent = step.percent;
            reading.on_mains = step.on_mains;
            reading.charging = step.on_mains && !step.full && step.held_at == 0;
            if (step.held_at != 0) reading.held_at = step.held_at;
            reading.fully_charged = step.full;
            reading.desktop_warns = test.desktop_warns;
            EXPECT_EQ(describe(next_warning(state, test.settings, reading)),
                      describe(step.expected))
                << test.name << ", step " << index << " at " << step.percent << " %";
            ++index;
        }
    }
}

// Charging without mains (a USB source too weak to be called external power) still counts as
// charging: a falling charge is what the warnings are for.
TEST(BatteryWarnings, ChargingOffMainsShowsNoLowWarning) {
    WarningState state;
    WarningReading reading;
    reading.percent = 10;
    reading.charging = true;
    EXPECT_EQ(next_warning(state, {}, reading), std::nullopt);
    reading.charging = false;
    EXPECT_EQ(next_warning(state, {}, reading), low);
}

// Turning the warnings on again shows nothing about a crossing that happened while they were off.
TEST(BatteryWarnings, CrossingsWhileOffAreNotShownLater) {
    WarningState state;
    WarningReading reading;
    reading.percent = 18;
    EXPECT_EQ(next_warning(state, disabled(), reading), std::nullopt);
    EXPECT_EQ(next_warning(state, {}, reading), std::nullopt);
    reading.percent = 5;
    EXPECT_EQ(next_warning(state, {}, reading), critical);
}

} // namespace
} // namespace app
