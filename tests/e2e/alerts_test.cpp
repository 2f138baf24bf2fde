// The Battery Information report, the About box and the two links.

#include "tests/e2e/app_run.h"
#include "tests/e2e/driver_views.h"
#include "tests/e2e/plist_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace e2e {
namespace {

constexpr const char* k_default_report = "Battery Name: SAMPLE-BAT1\n"
                                         "Battery Serial: ZR0000SAMPLE\n\r"
                                         "Charge Cycles: 214 cycles\n"
                                         "Battery Health: 90.9%\n"
                                         "Battery Condition: Good\n"
                                         "Battery Temperature: 31.95°C\n\r"
                                         "Max Capacity: 5000\n"
                                         "Low Power Mode: Off\n"
                                         "Voltage: 12.41 V\n\r"
                                         "Average Time to Empty: 03:31\n"
                                         "\n";

std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

TEST(BatteryInformation, MenuItemAndShortcutShowTheSameReport) {
    std::vector<JsonValue> alerts;
    for (const char* opening : {"menu 3", "key 0 cmd+i"}) {
        SCOPED_TRACE(opening);
        TempHome home;
        BatteryRecording().write(home.battery_file());
        AppRun run = run_app(home, {.script = std::string(opening) + "\nanswer 1\n"});
        ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
        EXPECT_TRUE(run.events("error").empty()) << run.transcript();
        auto found = run.events("alert");
        ASSERT_EQ(found.size(), 1u) << run.transcript();
        EXPECT_EQ(found[0].string("title"), "Battery Information");
        EXPECT_EQ(found[0].string("text"), k_default_report);
        EXPECT_EQ(found[0].string("icon"), "app");
        alerts.push_back(found[0]);
    }
    ASSERT_EQ(alerts.size(), 2u);
    for (const char* field : {"title", "text", "icon"})
        EXPECT_EQ(alerts[0].string(field), alerts[1].string(field)) << field;
    EXPECT_EQ(alerts[0].field("buttons")->items.size(), alerts[1].field("buttons")->items.size());
}

struct ReportCase {
    const char* name;
    std::vector<std::pair<std::string, PlistValue>> registry;
    std::vector<std::pair<std::string, PlistValue>> power;
    std::vector<std::string> removed;
    const char* present; // a piece the report holds
    const char* absent;  // a piece it must not hold, or null
    bool warns = false;  // a start-up warning comes first
};

TEST(BatteryInformation, ReportLinesFollowTheRecordedBattery) {
    const ReportCase cases[] = {
        {"voltage out of range",
         {{"Voltage", int64_t{20001}}},
         {},
         {},
         "\nVoltage: Unknown\nAverage",
         " V\n"},
        {"voltage of zero", {{"Voltage", int64_t{0}}}, {}, {}, "\nVoltage: Unknown\n", " V\n"},
        {"a negative voltage", {{"Voltage", int64_t{-5}}}, {}, {}, "\nVoltage: Unknown\n", " V\n"},
        {"a small voltage", {{"Voltage", int64_t{8}}}, {}, {}, "\nVoltage: 0.01 V\n\r", "Unknown"},
        {"no voltage", {}, {}, {"Voltage"}, "Low Power Mode: Off\nAverage", "Voltage"},
        {"low power mode on",
         {},
         {{"LPM Active", int64_t{1}}},
         {},
         "\nLow Power Mode: On\n",
         "Off"},
        {"average time to full",
         {{"AvgTimeToFull", int64_t{65535}}},
         {},
         {},
         "\rAverage Time to Full: 1092:15\nAverage Time to Empty: 03:31\n\n",
         nullptr},
        {"no average time to empty",
         {},
         {},
         {"AvgTimeToEmpty"},
         "Voltage: 12.41 V\n\r\n",
         "Average"},
        {"fair condition",
         {},
         {{"BatteryHealth", std::string("Fair")}},
         {},
         "\nBattery Condition: Fair\n",
         "Good",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        BatteryRecording recording;
        for (const auto& [key, value] : c.registry)
            recording.set(key, value);
        for (const auto& [key, value] : c.power)
            recording.set_power(key, value);
        for (const auto& key : c.removed)
            recording.unset(key);
        recording.write(home.battery_file());
        AppRun run = run_app(home, {.script = c.warns ? "answer 1\nmenu 3\n" : "menu 3\n"});
        ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
        auto alert = run.last("alert");
        ASSERT_TRUE(alert && alert->string("title") == "Battery Information") << run.transcript();
        std::string text = alert->string("text").value_or("");
        EXPECT_NE(text.find(c.present), std::string::npos) << text;
        if (c.absent) {
            EXPECT_EQ(text.find(c.absent), std::string::npos) << text;
        }
    }
}

TEST(BatteryInformation, ShowsWhatTheLastRefreshRead) {
    TempHome home;
    BatteryRecording().write(home.battery_file());
    AppRun run = run_app(home, {.script = "battery set Voltage 11400\nmenu 3\nanswer 1\n"
                                          "advance 10000\nmenu 3\nanswer 1\n"});
    ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
    auto alerts = run.events("alert");
    ASSERT_EQ(alerts.size(), 2u) << run.transcript();
    EXPECT_NE(alerts[0].string("text")->find("Voltage: 12.41 V"), std::string::npos);
    EXPECT_NE(alerts[1].string("text")->find("Voltage: 11.40 V"), std::string::npos);
}

TEST(BatteryInformation, NoRefreshHappensWhileItIsShown) {
    TempHome home;
    BatteryRecording().write(home.battery_file());
    AppRun run = run_app(home, {.script = "battery set CurrentCapacity 40\nmenu 3\n"
                                          "advance 30000\nanswer 1\n"});
    ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
    for (int64_t t : times_of(run.events("status")))
        EXPECT_TRUE(t == 0 || t >= 30000) << "a refresh at " << t << "\n" << run.transcript();
}

struct AboutCase {
    int answer;
    bool opens;
};

TEST(AboutBox, OnlyItsSecondButtonOpensTheMakersPage) {
    const AboutCase cases[] = {{1, false}, {2, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        TempHome home;
        BatteryRecording().write(home.battery_file());
        AppRun run = run_app(home, {.script = "menu 5\nanswer " + std::to_string(c.answer) + "\n"});
        ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
        auto alert = run.first("alert");
        ASSERT_TRUE(alert) << run.transcript();
        EXPECT_EQ(alert->string("title"), "");
        EXPECT_TRUE(alert->string("text").value_or("").starts_with(
            "\nA simple battery status indicator\nmade with great angst\n\n"))
            << *alert->string("text");
        const JsonValue* buttons = alert->field("buttons");
        ASSERT_TRUE(buttons && buttons->items.size() == 2) << run.transcript();
        EXPECT_EQ(buttons->items[0].text, "Ok");
        EXPECT_EQ(buttons->items[1].text, "See My Other Apps");

        auto opens = run.events("open");
        ASSERT_EQ(opens.size(), c.opens ? 1u : 0u) << run.transcript();
        if (!c.opens) continue;
        EXPECT_TRUE(opens[0].string("url").value_or("").starts_with("https://"))
            << run.transcript();
        EXPECT_LT(run.index_of("alert"), run.index_of("open"));
    }
}

TEST(BatterySettingsLink, OpensTheBatteryPaneWithoutAnAlert) {
    TempHome home;
    BatteryRecording().write(home.battery_file());
    AppRun run = run_app(home, {.script = "menu 6\nmenu 5\nanswer 2\n"});
    ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
    auto opens = run.events("open");
    ASSERT_EQ(opens.size(), 2u) << run.transcript();
    std::string pane = opens[0].string("url").value_or("");
    EXPECT_NE(lowercase(pane).find("battery"), std::string::npos) << pane;
    EXPECT_NE(pane, opens[1].string("url").value_or("")) << "the same address as the maker's page";
    EXPECT_LT(run.index_of("open"), run.index_of("alert")) << "an alert came with the link";
}

} // namespace
} // namespace e2e
