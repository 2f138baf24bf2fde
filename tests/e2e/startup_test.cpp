// Start-up of the whole indicator: the menu, stored settings, the refusal to run without a
// battery, older systems, the one-time warning about the battery's condition, and surroundings
// that are broken or hostile.

#include "tests/e2e/app_run.h"
#include "tests/e2e/driver_views.h"
#include "tests/e2e/plist_files.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {

PlistDictionary display_settings(std::initializer_list<std::string> on) {
    PlistDictionary settings;
    for (const char* key : {"ShowCycles", "ShowCondition", "ShowPercentage", "ShowHealth",
                            "ShowTimeLeft", "ShowTemp", "ShowFullChargeTime", "ShowCharging"})
        settings[key] = int64_t{0};
    for (const auto& key : on)
        settings[key] = int64_t{1};
    return settings;
}

TEST(FirstStart, BuildsTheMenuInItsFixedOrder) {
    TempHome home;
    AppRun run = run_app(home, {.script = ""});
    ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
    auto menu = run.first("menu");
    ASSERT_TRUE(menu) << run.transcript();
    EXPECT_EQ(menu_summary(*menu),
              "1 Currently on Battery Power (disabled) | - | 3 Show Battery Information... | - | "
              "6 Open Battery System Settings... | - | 4 Preferences... | - | 5 About | - | "
              "9 Quit Zerarazi");
    for (const auto& item : menu->field("items")->items) {
        const int64_t number = item.integer("number").value_or(0);
        if (number != 3 && number != 9) continue;
        EXPECT_FALSE(item.string("key").value_or("").empty()) << "item " << number;
        const JsonValue* modifiers = item.field("modifiers");
        ASSERT_TRUE(modifiers && modifiers->items.size() == 1) << "item " << number;
        EXPECT_EQ(modifiers->items[0].text, "cmd") << "item " << number;
    }
}

TEST(StoredSettings, DecideTitleAndTooltipAtStart) {
    struct Case {
        const char* name;
        std::optional<PlistDictionary> preferences; // none: first run
        bool on_mains;
        const char* title;
        std::optional<std::string> tooltip;
    };
    const Case cases[] = {
        {"first run", std::nullopt, false, "78%", std::nullopt},
        {"temperature only", display_settings({"ShowTemp"}), false, "31.95°C",
         "78% remaining on Battery Power"},
        {"all off", display_settings({}), false, "78%", std::nullopt},
        {"time left on mains", display_settings({"ShowTimeLeft"}), true, "03:27 left",
         "78% remaining on AC Power"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        BatteryRecording().set("ExternalConnected", c.on_mains).write(home.battery_file());
        if (c.preferences) write_plist_dictionary(home.preferences_file(), *c.preferences);
        AppRun run = run_app(home, {.script = ""});
        ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
        auto status = run.first("status");
        ASSERT_TRUE(status) << run.transcript();
        EXPECT_EQ(status->string("title"), c.title);
        EXPECT_EQ(status->string("tooltip"), c.tooltip);
    }
}

TEST(NoBattery, ExplainsAndQuitsWithoutAStatusItem) {
    for (bool installed_flag_off : {false, true}) {
        SCOPED_TRACE(installed_flag_off ? "not installed" : "not a property list");
        TempHome home;
        if (installed_flag_off) {
            BatteryRecording().set("BatteryInstalled", false).write(home.battery_file());
        } else {
            write_text_file(home.battery_file(), "this is not a property list\n");
        }
        AppRun run = run_app(home, {.script = "advance 20000\nanswer 1\n"});
        ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
        auto alert = run.first("alert");
        ASSERT_TRUE(alert) << run.transcript();
        EXPECT_EQ(alert->string("title"), "This is not a Mac laptop!");
        EXPECT_EQ(alert->string("text"),
                  "Sorry, this program is intended for use on a portable Mac model such as a "
                  "MacBook, MacBook Air, Or MacBook Pro.\n\rThis app will now quit.");
        EXPECT_EQ(alert->string("icon"), "stop");
        ASSERT_TRUE(run.first("exit")) << run.transcript();
        EXPECT_EQ(run.first("exit")->integer("status"), 0);
        EXPECT_LT(run.index_of("alert"), run.index_of("exit"));
        EXPECT_TRUE(run.events("status").empty()) << run.transcript();
        EXPECT_TRUE(run.events("menu").empty()) << run.transcript();
    }
}

TEST(OsVersion, BelowTwelveRunsInvisiblyUntilTerminated) {
    const std::pair<const char*, bool> cases[] = {
        {"11.7.0", false}, {"11", false}, {"12.0.0", true}};
    for (const auto& [version, has_interface] : cases) {
        SCOPED_TRACE(version);
        TempHome home;
        AppRun run = run_app(home, {.script = "advance 60000\nsleep\nwake\nadvance 60000\n"
                                              "battery set CurrentCapacity 40\nadvance 60000\n"
                                              "terminate\n",
                                    .os_version = version});
        ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
        EXPECT_EQ(!run.events("status").empty(), has_interface) << run.transcript();
        EXPECT_EQ(!run.events("menu").empty(), has_interface) << run.transcript();
        for (const char* unseen : {"window", "alert", "error"})
            EXPECT_TRUE(run.events(unseen).empty()) << run.transcript();
        ASSERT_TRUE(run.last("exit")) << run.transcript();
        EXPECT_EQ(run.last("exit")->integer("status"), 0);
        EXPECT_EQ(run.index_of("end"), run.lines.size()) << "ended by its input, not by terminate";
    }
}

// The warning's texts are the battery code's; here: the sound, then the alert, then the item.
TEST(ConditionWarning, ShowsOnceBeforeTheStatusItemWhenTheConditionIsNotGood) {
    for (const char* condition : {"Good", "Fair"}) {
        SCOPED_TRACE(condition);
        TempHome home;
        BatteryRecording()
            .set_power("BatteryHealth", std::string(condition))
            .write(home.battery_file());
        AppRun run = run_app(home, {.script = "advance 20000\nanswer 1\nadvance 20000\n"});
        ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
        auto status = run.first("status");
        ASSERT_TRUE(status) << run.transcript();
        if (condition == std::string("Good")) {
            EXPECT_TRUE(run.events("alert").empty()) << run.transcript();
            EXPECT_TRUE(run.events("sound").empty()) << run.transcript();
            EXPECT_EQ(status->integer("t"), 0);
            continue;
        }
        auto alerts = run.events("alert");
        ASSERT_EQ(alerts.size(), 1u) << run.transcript();
        EXPECT_EQ(alerts[0].string("title"), "Battery Warning!");
        EXPECT_EQ(alerts[0].string("text"),
                  "Condition: Fair\nNo failure flags detected.\nStatus Confidence: Poor\nmacOS "
                  "reports a non-optimal battery condition (Fair). The battery may still function "
                  "but is no longer considered reliable.\n\n");
        EXPECT_EQ(alerts[0].string("icon"), "caution");
        ASSERT_TRUE(run.first("sound")) << run.transcript();
        EXPECT_EQ(run.first("sound")->integer("id"), 22);
        EXPECT_LT(run.index_of("sound"), run.index_of("alert"));
        EXPECT_LT(run.index_of("alert"), run.index_of("status"));
        // The status item is made only once the warning is answered, after the first advance.
        EXPECT_EQ(status->integer("t"), 20000);
    }
}

// Each was once run as if all were well, losing what it showed or reading another battery than
// the one named.
TEST(Surroundings, AreReadAsGivenOrRefusedWithAReason) {
    struct Case {
        const char* name;
        std::vector<std::string> environment;
        // A shell line run with the bundle's executable as $0; empty: the executable itself.
        const char* shell;
        int exit_status;
        const char* error; // a text standard error holds; empty: it stays silent
    };
    const Case cases[] = {
        {"battery named relative to the folder of start",
         {"ZERARAZI_BATTERY=battery.plist"},
         "",
         0,
         ""},
        {"malformed version",
         {"ZERARAZI_OS_VERSION=abc"},
         "",
         2,
         "ZERARAZI_OS_VERSION=abc is not a version"},
        {"standard output full",
         {},
         "exec \"$0\" >/dev/full",
         1,
         "cannot write to standard output: No space left on device"},
        {"standard output closed",
         {},
         "exec \"$0\" >&-",
         1,
         "cannot write to standard output: Bad file descriptor"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        AppRunOptions options{
            .script = "advance 10000\n", .environment = c.environment, .directory = home.path()};
        if (*c.shell)
            options.command = {"/bin/sh", "-c", c.shell, bundle_executable(built_bundle())};
        AppRun run = run_app(home, options);
        ASSERT_FALSE(run.timed_out) << run.transcript();
        EXPECT_EQ(run.exit_status, c.exit_status) << run.transcript();
        if (*c.error) {
            EXPECT_NE(run.errors.find(c.error), std::string::npos) << run.errors;
        } else {
            EXPECT_EQ(run.errors, "");
        }
        auto status = run.first("status");
        EXPECT_EQ(status && status->string("title") == "78%", c.exit_status == 0)
            << run.transcript();
    }
}

} // namespace
} // namespace e2e
