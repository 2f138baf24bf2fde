// The refresh every ten seconds of virtual time: picture, title and the power line of the menu
// follow the battery, and sleep holds the refresh until ten seconds after waking.

#include "tests/e2e/app_run.h"
#include "tests/e2e/driver_views.h"
#include "tests/e2e/plist_files.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {

struct RefreshCase {
    const char* commands;
    const char* title;
    const char* image;
    const char* power_line;
};

TEST(Refresh, FollowsTheBatteryAfterTenSeconds) {
    const RefreshCase cases[] = {
        {"battery set CurrentCapacity 100", "100%", "battery_icon.png",
         "Currently on Battery Power"},
        {"battery set CurrentCapacity 76", "76%", "battery_icon.png", "Currently on Battery Power"},
        {"battery set CurrentCapacity 75", "75%", "75_battery_icon.png",
         "Currently on Battery Power"},
        {"battery set CurrentCapacity 51", "51%", "75_battery_icon.png",
         "Currently on Battery Power"},
        {"battery set CurrentCapacity 50", "50%", "50_battery_icon.png",
         "Currently on Battery Power"},
        {"battery set CurrentCapacity 40", "40%", "50_battery_icon.png",
         "Currently on Battery Power"},
        {"battery set CurrentCapacity 26", "26%", "50_battery_icon.png",
         "Currently on Battery Power"},
        {"battery set CurrentCapacity 25", "25%", "25_battery_icon.png",
         "Currently on Battery Power"},
        {"battery set CurrentCapacity 11", "11%", "25_battery_icon.png",
         "Currently on Battery Power"},
        {"battery set CurrentCapacity 10", "10%", "10_battery_icon.png",
         "Currently on Battery Power"},
        {"battery set CurrentCapacity 0", "0%", "10_battery_icon.png",
         "Currently on Battery Power"},
        {"battery set CurrentCapacity 104", "100%", "10_battery_icon.png",
         "Currently on Battery Power"},
        {"battery unset CurrentCapacity", "0%", "10_battery_icon.png",
         "Currently on Battery Power"},
        {"battery set ExternalConnected true\nbattery set CurrentCapacity 60", "60%",
         "battery_icon_ac.png", "Currently on AC Power"},
        {"battery set ExternalConnected true\nbattery set IsCharging true\n"
         "battery set CurrentCapacity 40",
         "40%", "battery_icon_ac.png", "Currently on AC Power"},
        {"battery set ExternalConnected true\nbattery set FullyCharged true\n"
         "battery set CurrentCapacity 100",
         "100%", "battery_icon_charging.png", "Currently on AC Power"},
        // A power source named in the registry wins over the mains flag.
        {"battery set ExternalConnected true\nbattery set PowerSource \"Battery Power\"\n"
         "battery set CurrentCapacity 30",
         "30%", "50_battery_icon.png", "Currently on Battery Power"},
        // Without the mains flag, charging names the power state but does not pick the picture.
        {"battery unset ExternalConnected\nbattery set IsCharging true\n"
         "battery set CurrentCapacity 30",
         "30%", "50_battery_icon.png", "Currently on AC Power"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commands);
        TempHome home;
        BatteryRecording().write(home.battery_file());
        AppRun run =
            run_app(home, {.script = std::string(c.commands) + "\nadvance 9999\nadvance 1\n"});
        ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
        EXPECT_TRUE(run.events("error").empty()) << run.transcript();
        auto statuses = run.events("status");
        ASSERT_EQ(times_of(statuses), (std::vector<int64_t>{0, 10000})) << run.transcript();
        EXPECT_EQ(statuses[1].string("title"), c.title);
        EXPECT_EQ(statuses[1].string("image"), c.image);
        EXPECT_EQ(statuses[1].boolean("template"), true);
        EXPECT_TRUE(statuses[1].is_null("tooltip"));
        auto menu = run.last("menu");
        ASSERT_TRUE(menu) << run.transcript();
        EXPECT_EQ(menu_item_title(*menu, 1), c.power_line);
        EXPECT_FALSE(menu_item_enabled(*menu, 1));
    }
}

TEST(Refresh, TooltipFollowsThePowerStateWhenThePercentageIsNotInTheTitle) {
    TempHome home;
    BatteryRecording().write(home.battery_file());
    write_plist_dictionary(home.preferences_file(), {{"ShowCycles", int64_t{1}}});
    AppRun run = run_app(home, {.script = "battery set ExternalConnected true\n"
                                          "battery set CurrentCapacity 64\n"
                                          "battery set CycleCount 215\nadvance 10000\n"});
    ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
    auto statuses = run.events("status");
    ASSERT_EQ(statuses.size(), 2u) << run.transcript();
    EXPECT_EQ(statuses[0].string("title"), "214 cycles");
    EXPECT_EQ(statuses[0].string("tooltip"), "78% remaining on Battery Power");
    EXPECT_EQ(statuses[1].string("title"), "215 cycles");
    EXPECT_EQ(statuses[1].string("tooltip"), "64% remaining on AC Power");
}

TEST(Refresh, KeepsItsPeriodOverManyTicks) {
    TempHome home;
    BatteryRecording().write(home.battery_file());
    std::string script;
    for (int capacity = 70; capacity > 60; --capacity)
        script += "battery set CurrentCapacity " + std::to_string(capacity) + "\nadvance 10000\n";
    AppRun run = run_app(home, {.script = script});
    ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
    std::vector<int64_t> expected = {0};
    for (int64_t tick = 1; tick <= 10; ++tick)
        expected.push_back(tick * 10000);
    EXPECT_EQ(times_of(run.events("status")), expected) << run.transcript();
    auto last = run.last("status");
    ASSERT_TRUE(last);
    EXPECT_EQ(last->string("title"), "61%");
}

struct SleepCase {
    const char* name;
    const char* script;
    std::vector<int64_t> refreshes; // times of the status lines after the first one
};

// Every script changes the charge before the refresh it expects, so that each refresh shows.
TEST(SleepAndWake, HoldTheRefreshUntilTenSecondsAfterWaking) {
    const SleepCase cases[] = {
        {"no sleep",
         "battery set CurrentCapacity 40\nadvance 10000\nbattery set CurrentCapacity 30\n"
         "advance 10000\n",
         {10000, 20000}},
        {"a long sleep",
         "sleep\nbattery set CurrentCapacity 40\nadvance 1000000000\nwake\nadvance 9999\n"
         "advance 1\nbattery set CurrentCapacity 30\nadvance 10000\n",
         {1000010000, 1000020000}},
        {"sleep after a tick",
         "advance 12000\nsleep\nbattery set CurrentCapacity 40\nadvance 50000\nwake\n"
         "advance 10000\n",
         {72000}},
        {"a wake right after start postpones the tick",
         "advance 5000\nwake\nbattery set CurrentCapacity 40\nadvance 10000\n",
         {15000}},
        {"a second wake does not postpone it again",
         "advance 5000\nwake\nadvance 3000\nwake\nbattery set CurrentCapacity 40\nadvance 7000\n"
         "battery set CurrentCapacity 30\nadvance 10000\n",
         {15000, 25000}},
        {"two sleeps, one wake",
         "sleep\nadvance 1000\nsleep\nbattery set CurrentCapacity 40\nadvance 30000\nwake\n"
         "advance 10000\n",
         {41000}},
        {"wake, sleep, wake",
         "advance 2000\nwake\nadvance 2000\nsleep\nbattery set CurrentCapacity 40\n"
         "advance 20000\nwake\nadvance 10000\n",
         {34000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        BatteryRecording().write(home.battery_file());
        AppRun run = run_app(home, {.script = c.script});
        ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
        std::vector<int64_t> expected = {0};
        expected.insert(expected.end(), c.refreshes.begin(), c.refreshes.end());
        EXPECT_EQ(times_of(run.events("status")), expected) << run.transcript();
    }
}

} // namespace
} // namespace e2e
