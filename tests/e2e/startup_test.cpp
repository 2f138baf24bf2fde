// Start-up of the whole indicator: the menu, stored settings, the refusal to run without a
// battery, older systems, the one-time warning about the battery's condition, and surroundings
// that are broken or hostile.

#include "tests/e2e/app_run.h"
#include "tests/e2e/driver_views.h"
#include "tests/e2e/plist_files.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {

// The menu in its fixed order, and the title and tooltip as the stored settings decide.
TEST(Startup, BuildsTheMenuAndTakesTheStoredSettings) {
    struct Case {
        std::optional<PlistDictionary> preferences; // none: first run
        bool on_mains;
        const char* title;
        std::optional<std::string> tooltip;
    };
    const Case cases[] = {
        {std::nullopt, false, "78%", std::nullopt},
        {display_settings({5}), false, "31.95°C", "78% remaining on Battery Power"},
        {display_settings({}), false, "78%", std::nullopt},
        {display_settings({8}), true, "03:27 left", "78% remaining on AC Power"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        TempHome home;
        BatteryRecording()
            .set("Registry", "ExternalConnected", c.on_mains)
            .write(home.battery_file());
        if (c.preferences) write_plist_dictionary(home.preferences_file(), *c.preferences);
        AppRun run = run_app(home, {.script = ""});
        ASSERT_TRUE(run.exited_cleanly() && run.first("status") && run.first("menu"))
            << run.transcript();
        EXPECT_EQ(run.first("status")->string("title"), c.title);
        EXPECT_EQ(run.first("status")->string("tooltip"), c.tooltip);
        if (!c.preferences) { // a first run stores the percentage on, every other box off
            EXPECT_EQ(read_plist_dictionary(home.preferences_file()), display_settings({2}));
        }
        EXPECT_EQ(menu_summary(*run.first("menu")),
                  std::string("1 Currently on ") + (c.on_mains ? "AC" : "Battery") +
                      " Power (disabled) | - | 3 Show Battery Information... cmd+i | - | 6 Open "
                      "Battery System Settings... | - | 4 Preferences... | - | 5 About | - | 9 "
                      "Quit Zerarazi cmd+q");
    }
}

TEST(NoBattery, ExplainsAndQuitsWithoutAStatusItem) {
    for (bool installed_flag_off : {false, true}) {
        SCOPED_TRACE(installed_flag_off ? "not installed" : "not a property list");
        TempHome home;
        if (installed_flag_off)
            BatteryRecording()
                .set("Registry", "BatteryInstalled", false)
                .write(home.battery_file());
        if (!installed_flag_off) home.write("battery.plist", "not a property list\n");
        AppRun run = run_app(home, {.script = "advance 20000\nanswer 1\n"});
        ASSERT_TRUE(run.exited_cleanly() && run.first("alert") && run.first("exit"))
            << run.transcript();
        auto alert = run.first("alert");
        EXPECT_EQ(alert->string("title"), "This is not a Mac laptop!");
        EXPECT_EQ(alert->string("icon"), "stop");
        EXPECT_EQ(run.first("exit")->integer("status"), 0);
        EXPECT_LT(run.index_of("alert"), run.index_of("exit"));
        EXPECT_TRUE(run.events("status").empty() && run.events("menu").empty()) << run.transcript();
    }
}

TEST(OsVersion, BelowTwelveRunsInvisiblyUntilTerminated) {
    const std::pair<const char*, bool> cases[] = {
        {"11.7.0", false}, {"11", false}, {"12.0.0", true}};
    for (const auto& [version, has_interface] : cases) {
        SCOPED_TRACE(version);
        TempHome home;
        AppRun run =
            run_app(home, {.script = "advance 60000\nsleep\nwake\nadvance 60000\n"
                                     "battery set CurrentCapacity 40\nadvance 60000\n"
                                     "terminate\n",
                           .environment = {"ZERARAZI_OS_VERSION=" + std::string(version)}});
        ASSERT_TRUE(run.exited_cleanly() && run.last("exit")) << run.transcript();
        EXPECT_EQ(!run.events("status").empty(), has_interface) << run.transcript();
        EXPECT_EQ(!run.events("menu").empty(), has_interface) << run.transcript();
        for (const char* unseen : {"window", "alert", "error"})
            EXPECT_TRUE(run.events(unseen).empty()) << run.transcript();
        EXPECT_EQ(run.last("exit")->integer("status"), 0);
        EXPECT_EQ(run.index_of("end"), run.lines.size()) << "ended by its input, not by terminate";
    }
}

// The warning's texts are the battery code's; here: the sound, then the alert, then the item,
// made only once the warning is answered after the first advance.
TEST(ConditionWarning, ShowsOnceBeforeTheStatusItemWhenTheConditionIsNotGood) {
    for (const std::string condition : {"Good", "Fair"}) {
        SCOPED_TRACE(condition);
        TempHome home;
        BatteryRecording()
            .set("PowerSource", "BatteryHealth", condition)
            .write(home.battery_file());
        AppRun run = run_app(home, {.script = "advance 20000\nanswer 1\nadvance 20000\n"});
        ASSERT_TRUE(run.exited_cleanly() && run.first("status")) << run.transcript();
        const bool warns = condition != "Good";
        EXPECT_EQ(run.first("status")->integer("t"), warns ? 20000 : 0);
        auto alerts = run.events("alert");
        ASSERT_EQ(alerts.size(), warns ? 1u : 0u) << run.transcript();
        ASSERT_EQ(run.events("sound").size(), warns ? 1u : 0u) << run.transcript();
        if (!warns) continue;
        EXPECT_EQ(alerts[0].string("title"), "Battery Warning!");
        EXPECT_TRUE(alerts[0].string("text").value_or("").starts_with("Condition: Fair\n"));
        EXPECT_EQ(alerts[0].string("icon"), "caution");
        EXPECT_EQ(run.first("sound")->integer("id"), 22);
        EXPECT_LT(run.index_of("sound"), run.index_of("alert"));
        EXPECT_LT(run.index_of("alert"), run.index_of("status"));
    }
}

// Each was once run as if all were well, losing what it showed or reading another battery than
// the one named.
TEST(Surroundings, AreReadAsGivenOrRefusedWithAReason) {
    struct Case {
        std::vector<std::string> environment;
        // A shell line run with the bundle's executable as $0; empty: the executable itself.
        const char* shell;
        int exit_status;
        const char* error; // the line standard error holds; empty: it stays silent
    };
    const Case cases[] = {
        // The battery named relative to the folder of start.
        {{"ZERARAZI_BATTERY=battery.plist"}, "", 0, ""},
        {{"ZERARAZI_OS_VERSION=abc"},
         "",
         2,
         "zerarazi: ZERARAZI_OS_VERSION=abc is not a version: give MAJOR[.MINOR[.PATCH]], such "
         "as 13.4"},
        {{},
         "exec \"$0\" >/dev/full",
         1,
         "zerarazi: cannot write to standard output: No space left on device; stopping"},
        {{},
         "exec \"$0\" >&-",
         1,
         "zerarazi: cannot write to standard output: Bad file descriptor; stopping"},
        // Refused by name, without trying to load the missing module.
        {{"ZERARAZI_DISPLAY=desktop"},
         "cp -r \"$(dirname \"$0\")/../..\" Z.app && rm -r Z.app/Contents/PlugIns && "
         "exec Z.app/Contents/MacOS/Zerarazi",
         2,
         "ZERARAZI_DISPLAY=desktop: that display cannot be shown here"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        TempHome home;
        AppRunOptions options{
            .script = "advance 10000\n", .environment = c.environment, .directory = home.path()};
        if (*c.shell)
            options.command = {"/bin/sh", "-c", c.shell, bundle_executable(built_bundle())};
        AppRun run = run_app(home, options);
        ASSERT_FALSE(run.timed_out) << run.transcript();
        EXPECT_EQ(run.exit_status, c.exit_status) << run.transcript();
        EXPECT_EQ(run.errors, *c.error ? std::string(c.error) + "\n" : "");
        auto status = run.first("status");
        EXPECT_EQ(status && status->string("title") == "78%", c.exit_status == 0)
            << run.transcript();
    }
}

} // namespace
} // namespace e2e
