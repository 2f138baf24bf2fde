// Start-up of the whole indicator: first run and stored settings, the refusal to run without a
// battery, older systems, and the one-time warning about the battery's condition.

#include "tests/e2e/app_run.h"
#include "tests/e2e/driver_views.h"
#include "tests/e2e/plist_files.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {

using Edits = std::vector<std::pair<std::string, PlistValue>>;

BatteryRecording recording_with(const Edits& registry, const Edits& power = {}) {
    BatteryRecording recording;
    for (const auto& [key, value] : registry)
        recording.set(key, value);
    for (const auto& [key, value] : power)
        recording.set_power(key, value);
    return recording;
}

PlistDictionary display_settings(std::initializer_list<std::string> on) {
    PlistDictionary settings;
    for (const char* key : {"ShowCycles", "ShowCondition", "ShowPercentage", "ShowHealth",
                            "ShowTimeLeft", "ShowTemp", "ShowFullChargeTime", "ShowCharging"})
        settings[key] = int64_t{0};
    for (const auto& key : on)
        settings[key] = int64_t{1};
    return settings;
}

TEST(FirstStart, ShowsThePercentageAloneAndStoresTheDisplayDefaults) {
    TempHome home;
    BatteryRecording().write(home.battery_file());
    AppRun run = run_app(home, {.script = ""});
    ASSERT_TRUE(run.exited_cleanly()) << run.transcript();

    auto status = run.first("status");
    ASSERT_TRUE(status) << run.transcript();
    EXPECT_EQ(status->integer("t"), 0);
    EXPECT_EQ(status->string("title"), "78%");
    EXPECT_TRUE(status->is_null("tooltip"));
    EXPECT_EQ(status->string("image"), "battery_icon.png");
    EXPECT_EQ(status->boolean("template"), true);

    auto stored = read_plist_dictionary(home.preferences_file());
    ASSERT_TRUE(stored) << "no preferences file at " << home.preferences_file();
    PlistDictionary expected = display_settings({"ShowPercentage"});
    EXPECT_EQ(*stored, expected) << "stored:\n"
                                 << describe(*stored) << "expected:\n"
                                 << describe(expected);
}

TEST(FirstStart, BuildsTheMenuInItsFixedOrder) {
    TempHome home;
    BatteryRecording().write(home.battery_file());
    AppRun run = run_app(home, {.script = ""});
    ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
    auto menu = run.first("menu");
    ASSERT_TRUE(menu) << run.transcript();
    EXPECT_EQ(menu_summary(*menu),
              "1 Currently on Battery Power (disabled) | - | 3 Show Battery Information... | - | "
              "6 Open Battery System Settings... | - | 4 Preferences... | - | 5 About | - | "
              "9 Quit Zerarazi");
    for (int number : {3, 9}) {
        const JsonValue* items = menu->field("items");
        ASSERT_TRUE(items);
        for (const auto& item : items->items) {
            if (item.integer("number") != number) continue;
            EXPECT_FALSE(item.string("key").value_or("").empty()) << "item " << number;
            const JsonValue* modifiers = item.field("modifiers");
            ASSERT_TRUE(modifiers && modifiers->items.size() == 1) << "item " << number;
            EXPECT_EQ(modifiers->items[0].text, "cmd") << "item " << number;
        }
    }
}

struct StoredSettingsCase {
    const char* name;
    std::optional<PlistDictionary> preferences; // none: first run
    Edits battery;
    const char* title;
    std::optional<std::string> tooltip;
};

TEST(StoredSettings, DecideTitleAndTooltipAtStart) {
    const StoredSettingsCase cases[] = {
        {"first run", std::nullopt, {}, "78%", std::nullopt},
        {"temperature only",
         display_settings({"ShowTemp"}),
         {},
         "31.95°C",
         "78% remaining on Battery Power"},
        {"a file without the keys", PlistDictionary{}, {}, "78%", std::nullopt},
        {"all off", display_settings({}), {}, "78%", std::nullopt},
        {"pieces in fixed order",
         display_settings({"ShowCharging", "ShowCycles", "ShowPercentage"}),
         {},
         "214 cycles • 78% • Not charging",
         std::nullopt},
        {"health and condition",
         display_settings({"ShowHealth", "ShowCondition"}),
         {},
         "Good • 90.9% health",
         "78% remaining on Battery Power"},
        {"time left of zero",
         display_settings({"ShowTimeLeft"}),
         {{"TimeRemaining", int64_t{0}}, {"ExternalConnected", true}},
         "Fully charged",
         "78% remaining on AC Power"},
        {"time left",
         display_settings({"ShowTimeLeft", "ShowFullChargeTime"}),
         {},
         "03:27 left • Calculating...",
         "78% remaining on Battery Power"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        recording_with(c.battery).write(home.battery_file());
        if (c.preferences) write_plist_dictionary(home.preferences_file(), *c.preferences);
        AppRun run = run_app(home, {.script = ""});
        ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
        auto status = run.first("status");
        ASSERT_TRUE(status) << run.transcript();
        EXPECT_EQ(status->string("title"), c.title);
        EXPECT_EQ(status->string("tooltip"), c.tooltip);
    }
}

TEST(StoredSettings, AFileWithoutDisplayKeysGetsThePercentageStored) {
    TempHome home;
    BatteryRecording().write(home.battery_file());
    write_plist_dictionary(home.preferences_file(), {{"Login", int64_t{0}}});
    AppRun run = run_app(home, {.script = ""});
    ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
    auto stored = read_plist_dictionary(home.preferences_file());
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->count("ShowPercentage") ? (*stored)["ShowPercentage"] : PlistValue{},
              PlistValue{int64_t{1}})
        << describe(*stored);
}

constexpr const char* k_not_a_laptop_text =
    "Sorry, this program is intended for use on a portable Mac model such as a MacBook, MacBook "
    "Air, Or MacBook Pro.\n\rThis app will now quit.";

struct NoBatteryCase {
    const char* name;
    std::optional<std::string> file_text; // none: a recording with BatteryInstalled false
};

TEST(NoBattery, ExplainsAndQuitsWithoutAStatusItem) {
    const NoBatteryCase cases[] = {
        {"an empty file", ""},
        {"not a property list", "this is not a property list\n"},
        {"a property list of another shape",
         "<?xml version=\"1.0\"?><plist version=\"1.0\"><string>battery</string></plist>"},
        {"a registry that is not a dictionary",
         "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Registry</key>"
         "<integer>1</integer></dict></plist>"},
        {"a battery that is not installed", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        if (c.file_text) {
            write_text_file(home.battery_file(), *c.file_text);
        } else {
            BatteryRecording().set("BatteryInstalled", false).write(home.battery_file());
        }
        AppRun run = run_app(home, {.script = "advance 20000\nanswer 1\n"});
        ASSERT_FALSE(run.timed_out) << run.transcript();
        EXPECT_EQ(run.exit_status, 0) << run.transcript();

        auto alert = run.first("alert");
        ASSERT_TRUE(alert) << run.transcript();
        EXPECT_EQ(alert->string("title"), "This is not a Mac laptop!");
        EXPECT_EQ(alert->string("text"), k_not_a_laptop_text);
        EXPECT_EQ(alert->string("icon"), "stop");
        auto exit = run.first("exit");
        ASSERT_TRUE(exit) << run.transcript();
        EXPECT_EQ(exit->integer("status"), 0);
        EXPECT_LT(run.index_of("alert"), run.index_of("exit"));
        EXPECT_TRUE(run.events("status").empty()) << run.transcript();
        EXPECT_TRUE(run.events("menu").empty()) << run.transcript();
    }
}

struct OsVersionCase {
    const char* version;
    bool has_interface;
};

TEST(OsVersion, BelowTwelveRunsInvisiblyUntilTerminated) {
    const OsVersionCase cases[] = {{"11.7.0", false}, {"10.15.7", false}, {"11", false},
                                   {"11.0", false},   {"12.0.0", true},   {"14.2.1", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        TempHome home;
        BatteryRecording().write(home.battery_file());
        AppRun run = run_app(home, {.script = "advance 60000\nsleep\nwake\nadvance 60000\n"
                                              "battery set CurrentCapacity 40\nadvance 60000\n"
                                              "terminate\n",
                                    .os_version = c.version});
        ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
        EXPECT_EQ(!run.events("status").empty(), c.has_interface) << run.transcript();
        EXPECT_EQ(!run.events("menu").empty(), c.has_interface) << run.transcript();
        EXPECT_TRUE(run.events("window").empty()) << run.transcript();
        EXPECT_TRUE(run.events("alert").empty()) << run.transcript();
        EXPECT_TRUE(run.events("error").empty()) << run.transcript();
        auto exit = run.last("exit");
        ASSERT_TRUE(exit) << run.transcript();
        EXPECT_EQ(exit->integer("status"), 0);
        EXPECT_EQ(run.index_of("end"), run.lines.size()) << "ended by its input, not by terminate";
    }
}

struct WarningCase {
    const char* name;
    Edits registry;
    Edits power;
    std::optional<std::string> text; // none: no warning
};

TEST(ConditionWarning, ShowsOnceBeforeTheStatusItemWhenTheConditionIsNotGood) {
    const WarningCase cases[] = {
        {"good", {}, {}, std::nullopt},
        {"normal", {}, {{"BatteryHealth", std::string("Normal")}}, std::nullopt},
        {"the registry's verdict wins",
         {{"BatteryHealth", std::string("Good")}},
         {{"BatteryHealth", std::string("Fair")}},
         std::nullopt},
        {"fair from the power source",
         {},
         {{"BatteryHealth", std::string("Fair")}},
         "Condition: Fair\nNo failure flags detected.\nStatus Confidence: Poor\nmacOS reports a "
         "non-optimal battery condition (Fair). The battery may still function but is no longer "
         "considered reliable.\n\n"},
        {"poor in the registry, good for the power source",
         {{"BatteryHealth", std::string("Poor")}},
         {},
         "Condition: Poor\nNo failure flags detected.\nStatus Confidence: Good\nBattery is in "
         "excellent condition:\n- Health ≥ 90%\n- Cycle Count < 500\n- Normal temperature "
         "(32.0°C)\n\n"},
        {"aged",
         {{"BatteryHealth", std::string("Fair")}, {"CycleCount", int64_t{1200}}},
         {{"BatteryHealth", std::string("Normal")}},
         "Condition: Fair\nNo failure flags detected.\nStatus Confidence: Fair\nBattery shows "
         "signs of aging or stress:\n- Health: 90.9%\n- Cycle Count: 1200\n- Temperature: "
         "32.0°C\n\n"},
        {"failure flags",
         {{"BatteryFailureStatus", int64_t{2}}, {"PermanentFailureStatus", int64_t{1}}},
         {{"BatteryHealth", std::string("Check Battery")}},
         "Condition: Check Battery\nBatteryFailureStatus: 2\nPermanentFailureStatus: 1\nStatus "
         "Confidence: Critical\nHardware failure flag(s) were detected. The battery may be "
         "defective or at risk of failure. Please consider replacing it immediately!\n\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        recording_with(c.registry, c.power).write(home.battery_file());
        AppRun run = run_app(home, {.script = "advance 20000\nanswer 1\nadvance 20000\n"});
        ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
        auto status = run.first("status");
        ASSERT_TRUE(status) << run.transcript();
        if (!c.text) {
            EXPECT_TRUE(run.events("alert").empty()) << run.transcript();
            EXPECT_TRUE(run.events("sound").empty()) << run.transcript();
            EXPECT_EQ(status->integer("t"), 0);
            continue;
        }
        auto alerts = run.events("alert");
        ASSERT_EQ(alerts.size(), 1u) << run.transcript();
        EXPECT_EQ(alerts[0].string("title"), "Battery Warning!");
        EXPECT_EQ(alerts[0].string("text"), *c.text);
        EXPECT_EQ(alerts[0].string("icon"), "caution");
        auto sound = run.first("sound");
        ASSERT_TRUE(sound) << run.transcript();
        EXPECT_EQ(sound->integer("id"), 22);
        EXPECT_LT(run.index_of("sound"), run.index_of("alert"));
        EXPECT_LT(run.index_of("alert"), run.index_of("status"));
        // The status item is made only once the warning is answered, after the first advance.
        EXPECT_EQ(status->integer("t"), 20000);
    }
}

// How the program meets surroundings that are broken or hostile: each was once run as if all
// were well, losing what it showed or reading another battery than the one named.
struct SurroundingsCase {
    const char* name;
    std::vector<std::string> environment;
    // A shell line run with the bundle's executable as $0; empty: the executable itself.
    const char* shell;
    std::string script;
    int exit_status;
    const char* error; // a text standard error holds; empty: it stays silent
    bool shows_battery;
};

TEST(Surroundings, AreReadAsGivenOrRefusedWithAReason) {
    const SurroundingsCase cases[] = {
        {"battery named relative to the folder of start",
         {"ZERARAZI_BATTERY=battery.plist"},
         "",
         "",
         0,
         "",
         true},
        {"malformed version",
         {"ZERARAZI_OS_VERSION=abc"},
         "",
         "",
         2,
         "ZERARAZI_OS_VERSION=abc is not a version",
         false},
        {"standard output full",
         {},
         "exec \"$0\" >/dev/full",
         "advance 10000\n",
         1,
         "cannot write to standard output: No space left on device",
         false},
        {"standard output closed",
         {},
         "exec \"$0\" >&-",
         "advance 10000\n",
         1,
         "cannot write to standard output: Bad file descriptor",
         false},
    };
    for (const SurroundingsCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        BatteryRecording().write(home.battery_file());
        AppRunOptions options{
            .script = c.script, .environment = c.environment, .directory = home.path()};
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
        EXPECT_EQ(status && status->string("title") == "78%", c.shows_battery) << run.transcript();
    }
}

TEST(Surroundings, VirtualTimeStopsShortOfTheDistantFuture) {
    TempHome home;
    BatteryRecording().write(home.battery_file());
    AppRun run = run_app(home, {.script = "sleep\nadvance 70000000000000\n"
                                          "advance 9223372036854775807\nwake\nadvance 10000\n"});
    ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
    ASSERT_EQ(run.events("error").size(), 2u) << run.transcript();
    EXPECT_EQ(run.last("end")->integer("t"), 10000);
}

} // namespace
} // namespace e2e
