#include "app/battery_warnings.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace app {
namespace {

using Kind = std::optional<WarningKind>;
constexpr Kind none = std::nullopt, low = WarningKind::low, critical = WarningKind::critical,
               full = WarningKind::full;

// Where the power comes from: the battery alone, mains (charging, full, or held at 80 %), or a
// USB source too weak to be called external power, which still charges.
enum class Power { battery, mains, mains_full, mains_held, usb };

struct Step {
    Power power;
    int percent;
    Kind expected;
};

struct Case {
    const char* name;
    std::vector<Step> steps;
    WarningSettings settings = {};
    bool desktop_warns = false;
};

WarningReading reading_of(const Step& step, bool desktop_warns) {
    using enum Power;
    const bool on_mains = step.power != battery && step.power != usb;
    return {.percent = step.percent,
            .on_mains = on_mains,
            .charging = step.power == mains || step.power == usb,
            .fully_charged = step.power == mains_full,
            .held_at = step.power == mains_held ? std::optional(80) : std::nullopt,
            .desktop_warns = desktop_warns};
}

TEST(BatteryWarnings, EachStepOfASequenceShowsTheExpectedWarning) {
    using enum Power;
    const Step filled = {mains_full, 100, full}, again = {mains_full, 100, none};
    const Case cases[] = {
        {"low once at the default threshold and not again below it",
         {{battery, 22, none},
          {battery, 21, none},
          {battery, 20, low},
          {battery, 19, none},
          {battery, 20, none},
          {battery, 15, none}}},
        {"critical after low, once",
         {{battery, 21, none},
          {battery, 20, low},
          {battery, 6, none},
          {battery, 5, critical},
          {battery, 4, none},
          {battery, 1, none}}},
        {"a fall past both thresholds shows critical only",
         {{battery, 30, none}, {battery, 4, critical}, {battery, 3, none}}},
        {"hovering inside the margin does not re-arm low",
         {{battery, 20, low},
          {battery, 22, none},
          {battery, 20, none},
          {battery, 21, none},
          {battery, 19, none}}},
        {"back past the margin re-arms low",
         {{battery, 20, low}, {mains, 23, none}, {battery, 22, none}, {battery, 20, low}}},
        {"critical re-arms at its own margin",
         {{battery, 5, critical},
          {battery, 7, none},
          {battery, 5, none},
          {mains, 8, none},
          {battery, 5, critical}}},
        {"no low or critical on mains", {{mains, 20, none}, {mains, 5, none}, {mains, 3, none}}},
        {"unplugging below the threshold shows it then", {{mains, 15, none}, {battery, 15, low}}},
        // A falling charge is what the warnings are for: charging from USB is no fall.
        {"no low while charging off mains", {{usb, 10, none}, {battery, 10, low}}},
        {"thresholds of the settings",
         {{battery, 41, none},
          {battery, 40, low},
          {battery, 20, none},
          {battery, 11, none},
          {battery, 10, critical}},
         {.low_percent = 40, .critical_percent = 10}},
        {"quiet where the desktop warns",
         {{battery, 20, none}, {battery, 5, none}, {battery, 1, none}},
         {},
         true},
        {"loud where the desktop warns when asked",
         {{battery, 20, low}, {battery, 5, critical}},
         {.even_where_desktop_warns = true},
         true},
        {"full on mains once per plug",
         {{mains, 99, none}, filled, again, again, {battery, 100, none}, filled}},
        {"full re-arms when the charge drops by the margin on mains",
         {filled, {mains, 98, none}, again, {mains, 97, none}, filled}},
        {"full is never quiet for the desktop", {{mains, 90, none}, filled}, {}, true},
        {"held at the limit once, from a point under it",
         {{mains, 78, none},
          {mains_held, 78, none},
          {mains_held, 79, full},
          {mains_held, 80, none},
          {mains_held, 78, none}}},
        {"held re-arms when the charge drops by the margin under the limit",
         {{mains_held, 80, full},
          {mains_held, 77, none},
          {mains, 78, none},
          {mains_held, 80, full}}},
        {"held above the limit counts as reached", {{mains_held, 95, full}}},
        {"nothing when turned off",
         {{battery, 20, none}, {battery, 5, none}, again},
         {.enabled = false}},
    };
    for (const Case& test : cases) {
        WarningState state;
        for (size_t i = 0; i < test.steps.size(); ++i) {
            const Step& step = test.steps[i];
            EXPECT_EQ(next_warning(state, test.settings, reading_of(step, test.desktop_warns)),
                      step.expected)
                << test.name << ", step " << i << " at " << step.percent << " %";
        }
    }
}

// Turning the warnings on again shows nothing about a crossing that happened while they were off.
TEST(BatteryWarnings, CrossingsWhileOffAreNotShownLater) {
    WarningState state;
    WarningReading reading;
    reading.percent = 18;
    EXPECT_EQ(next_warning(state, {.enabled = false}, reading), none);
    EXPECT_EQ(next_warning(state, {}, reading), none);
    reading.percent = 5;
    EXPECT_EQ(next_warning(state, {}, reading), critical);
}

} // namespace
} // namespace app
