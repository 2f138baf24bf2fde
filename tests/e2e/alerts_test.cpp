// The Battery Information report, the About box and the two links. The report's lines are the
// battery code's; here: how it is opened and that it shows what the last refresh read.

#include "tests/e2e/app_run.h"
#include "tests/e2e/driver_views.h"
#include "tests/e2e/plist_files.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {

TEST(BatteryInformation, MenuItemAndShortcutShowTheSameReport) {
    for (const char* opening : {"menu 3", "key 0 cmd+i"}) {
        SCOPED_TRACE(opening);
        TempHome home;
        AppRun run = run_app(home, {.script = std::string(opening) + "\nanswer 1\n"});
        ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
        EXPECT_TRUE(run.events("error").empty()) << run.transcript();
        auto alerts = run.events("alert");
        ASSERT_EQ(alerts.size(), 1u) << run.transcript();
        EXPECT_EQ(alerts[0].string("title"), "Battery Information");
        EXPECT_EQ(alerts[0].string("text"), "Battery Name: SAMPLE-BAT1\n"
                                            "Battery Serial: ZR0000SAMPLE\n\r"
                                            "Charge Cycles: 214 cycles\n"
                                            "Battery Health: 90.9%\n"
                                            "Battery Condition: Good\n"
                                            "Battery Temperature: 31.95°C\n\r"
                                            "Max Capacity: 5000\n"
                                            "Low Power Mode: Off\n"
                                            "Voltage: 12.41 V\n\r"
                                            "Average Time to Empty: 03:31\n"
                                            "\n");
        EXPECT_EQ(alerts[0].string("icon"), "app");
    }
}

// Opened before and after a refresh; no refresh happens while it is shown.
TEST(BatteryInformation, ShowsWhatTheLastRefreshReadAndHoldsTheRefresh) {
    TempHome home;
    AppRun run = run_app(home, {.script = "battery set Voltage 11400\nmenu 3\nadvance 30000\n"
                                          "answer 1\nadvance 10000\nmenu 3\nanswer 1\n"});
    ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
    auto alerts = run.events("alert");
    ASSERT_EQ(alerts.size(), 2u) << run.transcript();
    EXPECT_NE(alerts[0].string("text")->find("Voltage: 12.41 V"), std::string::npos);
    EXPECT_NE(alerts[1].string("text")->find("Voltage: 11.40 V"), std::string::npos);
    for (int64_t t : times_of(run.events("status")))
        EXPECT_TRUE(t == 0 || t >= 30000) << "a refresh at " << t << "\n" << run.transcript();
}

TEST(AboutBox, OnlyItsSecondButtonOpensTheMakersPage) {
    for (int answer : {1, 2}) {
        SCOPED_TRACE(answer);
        TempHome home;
        AppRun run = run_app(home, {.script = "menu 5\nanswer " + std::to_string(answer) + "\n"});
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
        ASSERT_EQ(opens.size(), answer == 2 ? 1u : 0u) << run.transcript();
        if (answer == 1) continue;
        EXPECT_TRUE(opens[0].string("url").value_or("").starts_with("https://"))
            << run.transcript();
        EXPECT_LT(run.index_of("alert"), run.index_of("open"));
    }
}

TEST(BatterySettingsLink, OpensTheBatteryPaneWithoutAnAlert) {
    TempHome home;
    AppRun run = run_app(home, {.script = "menu 6\nmenu 5\nanswer 2\n"});
    ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
    auto opens = run.events("open");
    ASSERT_EQ(opens.size(), 2u) << run.transcript();
    std::string pane = opens[0].string("url").value_or("");
    EXPECT_NE(pane.find("Battery"), std::string::npos) << pane;
    EXPECT_NE(pane, opens[1].string("url").value_or("")) << "the same address as the maker's page";
    EXPECT_LT(run.index_of("open"), run.index_of("alert")) << "an alert came with the link";
}

} // namespace
} // namespace e2e
