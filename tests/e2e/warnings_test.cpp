// The charge warnings as a script sees them: a notification event for each crossing of a
// threshold as the recorded battery runs down or fills, and none where they are turned off. When
// each warning is due is the decision's (tests/app/battery_warnings_test.cpp); here: that the
// refresh reaches it with the battery's readings and the stored settings.

#include "tests/e2e/app_run.h"
#include "tests/e2e/plist_files.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace e2e {
namespace {

// A script that sets the charge to each of `charges` in turn, with a refresh after each.
std::string run_down(const std::vector<int>& charges) {
    std::string script;
    for (int charge : charges)
        script += "battery set CurrentCapacity " + std::to_string(charge) + "\nadvance 10000\n";
    return script;
}

using Seen = std::tuple<int64_t, std::string, bool>;

TEST(ChargeWarnings, OneNotificationPerCrossingOfTheStoredThresholds) {
    const std::string plug_in = "battery set ExternalConnected true\nbattery set IsCharging true\n";
    const std::string full = "battery set IsCharging false\nbattery set FullyCharged true\n"
                             "battery set CurrentCapacity 100\nadvance 10000\n";
    const std::string unplug = "battery set ExternalConnected false\n"
                               "battery set FullyCharged false\nadvance 10000\n";
    struct Case {
        const char* name;
        std::string script;
        PlistDictionary stored; // empty: none stored
        std::vector<Seen> expected;
        const char* first_title = "";
        const char* first_text = "";
    };
    const std::string level = run_down({40, 30, 15, 20, 5});
    const std::vector<Case> cases = {
        // Low at 20, nothing while it hovers, low again after 23, critical at 5.
        {"running down",
         run_down({25, 20, 19, 21, 20, 23, 20, 9, 5, 3}),
         {},
         {{20000, "low", false}, {70000, "low", false}, {90000, "critical", true}},
         "Battery Low",
         "20% remaining"},
        {"full on mains, once per plug",
         plug_in + "advance 10000\n" + full + "advance 10000\n" + unplug + plug_in + full,
         {},
         {{20000, "full", false}, {50000, "full", false}},
         "Battery Fully Charged"},
        // A source too weak to count as mains still fills the battery: nothing to warn of.
        {"charging without mains", "battery set IsCharging true\n" + run_down({15, 4}), {}, {}},
        // 20 is past 15 by the margin: critical again at 5.
        {"thresholds moved",
         level,
         {{"LowWarningPercent", int64_t{40}}, {"CriticalWarningPercent", int64_t{15}}},
         {{10000, "low", false}, {30000, "critical", true}, {50000, "critical", true}}},
        {"out of range keeps the defaults",
         level,
         {{"LowWarningPercent", int64_t{100}}, {"CriticalWarningPercent", int64_t{0}}},
         {{30000, "low", false}, {50000, "critical", true}}},
        {"turned off", level, {{"WarningsOff", int64_t{1}}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        if (!c.stored.empty()) write_plist_dictionary(home.preferences_file(), c.stored);
        AppRun run = run_app(home, {.script = c.script});
        ASSERT_TRUE(run.exited_cleanly() && run.events("error").empty()) << run.transcript();
        std::vector<Seen> seen;
        for (const JsonValue& event : run.events("notification"))
            seen.emplace_back(event.integer("t").value_or(-1), event.string("kind").value_or(""),
                              event.boolean("urgent").value_or(false));
        EXPECT_EQ(seen, c.expected) << run.transcript();
        if (!*c.first_title) continue;
        EXPECT_EQ(run.first("notification")->string("title"), c.first_title);
        EXPECT_NE(run.first("notification")->string("text")->find(c.first_text), std::string::npos);
    }
}

} // namespace
} // namespace e2e
