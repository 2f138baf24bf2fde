// The refresh every ten seconds of virtual time: picture, title, tooltip and the power line of
// the menu follow the battery, and sleep holds the refresh until ten seconds after waking. Which
// picture a charge shows is the battery code's; here only that the refresh shows it.

#include "tests/e2e/app_run.h"
#include "tests/e2e/driver_views.h"
#include "tests/e2e/plist_files.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {

// The tooltip holds the percentage and the power state when the title does not.
TEST(Refresh, FollowsTheBatteryAfterTenSeconds) {
    struct Case {
        const char* commands;
        bool cycles_shown;
        const char* title;
        const char* image;
        const char* power_line;
        std::optional<std::string> tooltip;
    };
    const Case cases[] = {
        {"battery set CurrentCapacity 40", false, "40%", "50_battery_icon.png",
         "Currently on Battery Power", std::nullopt},
        {"battery set ExternalConnected true\nbattery set FullyCharged true\n"
         "battery set CurrentCapacity 100",
         false, "100%", "battery_icon_charging.png", "Currently on AC Power", std::nullopt},
        {"battery set ExternalConnected true\nbattery set CurrentCapacity 64\n"
         "battery set CycleCount 215",
         true, "215 cycles", "battery_icon_ac.png", "Currently on AC Power",
         "64% remaining on AC Power"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commands);
        TempHome home;
        if (c.cycles_shown)
            write_plist_dictionary(home.preferences_file(), {{"ShowCycles", int64_t{1}}});
        AppRun run =
            run_app(home, {.script = std::string(c.commands) + "\nadvance 9999\nadvance 1\n"});
        ASSERT_TRUE(run.exited_cleanly() && run.last("menu") && run.events("error").empty())
            << run.transcript();
        auto statuses = run.events("status");
        ASSERT_EQ(times_of(statuses), (std::vector<int64_t>{0, 10000})) << run.transcript();
        EXPECT_EQ(statuses[0].string("image"), "battery_icon.png");
        EXPECT_EQ(std::tuple(statuses[1].string("title"), statuses[1].string("image"),
                             statuses[1].boolean("template"), statuses[1].string("tooltip")),
                  std::tuple(c.title, c.image, true, c.tooltip));
        EXPECT_TRUE(menu_summary(*run.last("menu"))
                        .starts_with("1 " + std::string(c.power_line) + " (disabled) |"));
    }
}

// Every script changes the charge before the refresh it expects, so that each refresh shows.
// Scripts are written with ";" for a new line and "charge N" for a change of the charge.
TEST(SleepAndWake, HoldTheRefreshUntilTenSecondsAfterWaking) {
    const std::pair<std::string, std::vector<int64_t>> cases[] = {
        {"charge 40;advance 10000;charge 30;advance 10000", {0, 10000, 20000}},
        {"sleep;charge 40;advance 1000000000;wake;advance 9999;advance 1;charge 30;advance 10000",
         {0, 1000010000, 1000020000}},
        {"advance 12000;sleep;charge 40;advance 50000;wake;advance 10000", {0, 72000}},
        // A second wake does not postpone it again.
        {"advance 5000;wake;advance 3000;wake;charge 40;advance 7000;charge 30;advance 10000",
         {0, 15000, 25000}},
        {"sleep;advance 1000;sleep;charge 40;advance 30000;wake;advance 10000", {0, 41000}},
        {"advance 2000;wake;advance 2000;sleep;charge 40;advance 20000;wake;advance 10000",
         {0, 34000}},
    };
    for (const auto& [shorthand, refreshes] : cases) {
        SCOPED_TRACE(shorthand);
        std::string script;
        for (size_t at = 0; at <= shorthand.size();) {
            const size_t end = std::min(shorthand.find(';', at), shorthand.size());
            const std::string line = shorthand.substr(at, end - at);
            script += line.starts_with("charge ") ? "battery set CurrentCapacity " + line.substr(7)
                                                  : line;
            script += "\n";
            at = end + 1;
        }
        TempHome home;
        AppRun run = run_app(home, {.script = script});
        ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
        EXPECT_EQ(times_of(run.events("status")), refreshes) << run.transcript();
    }
}

} // namespace
} // namespace e2e
