// The charge warnings as a script sees them: a notification event for each crossing of a
// threshold as the recorded battery runs down or fills, and none where they are turned off. When
// each warning is due is the decision's (tests/app/battery_warnings_test.cpp); here: that the
// refresh reaches it with the battery's readings and the stored settings.

#include "tests/e2e/app_run.h"
#include "tests/e2e/driver_views.h"
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

std::vector<Seen> notifications(const AppRun& run) {
    std::vector<Seen> seen;
    for (const JsonValue& event : run.events("notification"))
        seen.emplace_back(event.integer("t").value_or(-1), event.string("kind").value_or(""),
                          event.boolean("urgent").value_or(false));
    return seen;
}

TEST(ChargeWarnings, OneNotificationPerCrossingAsTheBatteryRunsDown) {
    TempHome home;
    // Refreshes at 10 s, 20 s, ...: low at 20, nothing while it hovers, low again after 23,
    // critical at 5.
    AppRun run = run_app(home, {.script = run_down({25, 20, 19, 21, 20, 23, 20, 9, 5, 3})});
    ASSERT_TRUE(run.exited_cleanly() && run.events("error").empty()) << run.transcript();
    EXPECT_EQ(notifications(run),
              (std::vector<Seen>{
                  {20000, "low", false}, {70000, "low", false}, {90000, "critical", true}}))
        << run.transcript();
    const JsonValue low = run.events("notification").front();
    EXPECT_EQ(low.string("title"), "Battery Low");
    EXPECT_NE(low.string("text").value_or("").find("20% remaining"), std::string::npos);
}

TEST(ChargeWarnings, FullOnMainsOncePerPlug) {
    TempHome home;
    const std::string plug_in = "battery set ExternalConnected true\nbattery set IsCharging true\n";
    const std::string full = "battery set IsCharging false\nbattery set FullyCharged true\n"
                             "battery set CurrentCapacity 100\n";
    const std::string unplug = "battery set ExternalConnected false\n"
                               "battery set FullyCharged false\n";
    const std::string refresh = "advance 10000\n";
    AppRun run = run_app(home, {.script = plug_in + refresh + full + refresh + refresh + unplug +
                                          refresh + plug_in + full + refresh});
    ASSERT_TRUE(run.exited_cleanly() && run.events("error").empty()) << run.transcript();
    EXPECT_EQ(notifications(run),
              (std::vector<Seen>{{20000, "full", false}, {50000, "full", false}}))
        << run.transcript();
    EXPECT_EQ(run.first("notification")->string("title"), "Battery Fully Charged");
}

// Charging from a source too weak to count as mains still fills the battery: nothing to warn of.
TEST(ChargeWarnings, NoneWhileChargingWithoutMains) {
    TempHome home;
    AppRun run = run_app(home, {.script = "battery set IsCharging true\n" + run_down({15, 4})});
    ASSERT_TRUE(run.exited_cleanly() && run.events("error").empty()) << run.transcript();
    EXPECT_EQ(notifications(run), std::vector<Seen>{}) << run.transcript();
}

TEST(ChargeWarnings, StoredSettingsMoveTheThresholdsOrTurnThemOff) {
    struct Case {
        const char* name;
        PlistDictionary stored;
        std::vector<Seen> expected;
    };
    const std::vector<Case> cases = {
        {"thresholds moved",
         {{"LowWarningPercent", int64_t{40}}, {"CriticalWarningPercent", int64_t{15}}},
         // 20 is past 15 by the margin: critical again at 5.
         {{10000, "low", false}, {30000, "critical", true}, {50000, "critical", true}}},
        {"out of range keeps the defaults",
         {{"LowWarningPercent", int64_t{100}}, {"CriticalWarningPercent", int64_t{0}}},
         {{30000, "low", false}, {50000, "critical", true}}},
        {"turned off", {{"WarningsOff", int64_t{1}}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        write_plist_dictionary(home.preferences_file(), c.stored);
        AppRun run = run_app(home, {.script = run_down({40, 30, 15, 20, 5})});
        ASSERT_TRUE(run.exited_cleanly() && run.events("error").empty()) << run.transcript();
        EXPECT_EQ(notifications(run), c.expected) << run.transcript();
    }
}

} // namespace
} // namespace e2e
