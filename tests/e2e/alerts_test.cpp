// The Battery Information report, the About box and the two links. The report's lines are the
// battery code's; here: how it is opened, from the recorded battery, and that it shows what the
// last refresh read.

#include "tests/e2e/app_run.h"
#include "tests/e2e/driver_views.h"
#include "tests/e2e/plist_files.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {

// Opened by the menu item before a refresh and by the shortcut after it; no refresh happens while
// it is shown.
TEST(BatteryInformation, ShowsWhatTheLastRefreshReadAndHoldsTheRefresh) {
    TempHome home;
    AppRun run = run_app(home, {.script = "battery set Voltage 11400\nmenu 3\nadvance 30000\n"
                                          "answer 1\nadvance 10000\nkey 0 cmd+i\nanswer 1\n"});
    ASSERT_TRUE(run.exited_cleanly() && run.events("error").empty()) << run.transcript();
    auto alerts = run.events("alert");
    ASSERT_EQ(alerts.size(), 2u) << run.transcript();
    for (const auto& alert : alerts) {
        EXPECT_EQ(std::tuple(alert.string("title"), alert.string("icon")),
                  std::tuple("Battery Information", "app"));
        EXPECT_NE(alert.string("text").value_or("").find("SAMPLE-BAT1"), std::string::npos);
    }
    EXPECT_NE(alerts[0].string("text")->find("Voltage: 12.41 V"), std::string::npos);
    EXPECT_NE(alerts[1].string("text")->find("Voltage: 11.40 V"), std::string::npos);
    for (int64_t t : times_of(run.events("status")))
        EXPECT_TRUE(t == 0 || t >= 30000) << "a refresh at " << t << "\n" << run.transcript();
}

// The battery pane opens without an alert; of the About box's buttons only the second opens the
// maker's page.
TEST(Links, TheSettingsItemAndTheAboutBoxsSecondButtonOpenTheirPages) {
    TempHome home;
    AppRun run = run_app(home, {.script = "menu 6\nmenu 5\nanswer 1\nmenu 5\nanswer 2\n"});
    ASSERT_TRUE(run.exited_cleanly() && run.first("alert")) << run.transcript();
    std::string order;
    for (const auto& text : run.lines) {
        const std::string event = parse_json(text).value_or(JsonValue{}).event();
        if (event == "open" || event == "alert") order += event + " ";
    }
    EXPECT_EQ(order, "open alert alert open ") << run.transcript();
    auto alert = run.first("alert");
    EXPECT_EQ(alert->string("title"), "");
    EXPECT_TRUE(alert->string("text").value_or("").starts_with(
        "\nA simple battery status indicator\nmade with great angst\n\n"))
        << *alert->string("text");
    const JsonValue* buttons = alert->field("buttons");
    ASSERT_TRUE(buttons && buttons->items.size() == 2) << run.transcript();
    EXPECT_EQ(buttons->items[0].text + "|" + buttons->items[1].text, "Ok|See My Other Apps");
    auto opens = run.events("open");
    ASSERT_EQ(opens.size(), 2u) << run.transcript();
    const std::string pane = opens[0].string("url").value_or("");
    const std::string maker = opens[1].string("url").value_or("");
    EXPECT_NE(pane.find("Battery"), std::string::npos) << pane;
    EXPECT_TRUE(maker.starts_with("https://") && maker != pane) << maker;
}

} // namespace
} // namespace e2e
