#include "platform/display/driver/driver_output.h"

#include "tests/platform/display/terminal/terminal_test_snapshots.h"
#include "tests/support/driver_session.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>

namespace {

WindowSnapshot window_snapshot(int number, bool visible = true) {
    WindowSnapshot snapshot;
    snapshot.number = number;
    snapshot.title = "W" + std::to_string(number);
    snapshot.content = {10, 20, 320, 290};
    snapshot.visible = visible;
    return snapshot;
}

StatusSnapshot status(std::string title) {
    return StatusSnapshot{"battery_icon_ac.png", true, std::move(title), std::nullopt};
}

std::vector<MenuItemSnapshot> menu() {
    return {
        MenuItemSnapshot{false, 1, "About", "", 0, true}, terminal_test::separator(),
        MenuItemSnapshot{false, 2, "Quit", "q", static_cast<uint8_t>(KeyModifier::command), true}};
}

struct Fixture {
    std::ostringstream out;
    DriverClock clock;
    DriverOutput output{out, clock};

    Lines changes() {
        output.write_changes();
        Lines lines = written_lines(out);
        out.str({});
        return lines;
    }
};

} // namespace

TEST(DriverOutput, FormatsEveryEventLine) {
    WindowSnapshot prefs = window_snapshot(1);
    prefs.key = true;
    prefs.level = WindowLevel::floating;
    prefs.content = {560, 305.5, 320, 290};
    prefs.controls = {
        ControlSnapshot{
            0, ControlKind::checkbox, "Show \"time\"", 2, {580, 325, 200, 18}, {}, true},
        ControlSnapshot{7, ControlKind::frame, "Display", 0, {570, 315, 300, 120}, {}, true}};
    WindowSnapshot limits = window_snapshot(2);
    limits.controls = {
        ControlSnapshot{4, ControlKind::choice, "80%", 1, {0, 0, 60, 20}, {"70%", "80%"}, true},
        ControlSnapshot{5, ControlKind::button, "Once", 0, {0, 30, 90, 20}, {}, false}};
    AlertSnapshot alert{"Low battery", "5 %\nleft", AlertIcon::caution, {"OK", "Cancel"}};
    struct Case {
        std::string line;
        std::string expected;
    };
    const Case cases[] = {
        {status_line(5, status("75%")),
         R"({"event":"status","t":5,"image":"battery_icon_ac.png","template":true,"title":"75%","tooltip":null})"},
        {status_line(0, StatusSnapshot{std::nullopt, false, "", "tip"}),
         R"({"event":"status","t":0,"image":null,"template":false,"title":"","tooltip":"tip"})"},
        {menu_line(
             1, {terminal_test::separator(), MenuItemSnapshot{false, 3, "X", "z", 0b1111, false}}),
         R"({"event":"menu","t":1,"items":[{"separator":true},{"number":3,"title":"X","key":"z","modifiers":["cmd","shift","alt","ctrl"],"enabled":false}]})"},
        {window_line(2, prefs),
         R"({"event":"window","t":2,"number":1,"title":"W1","x":560,"y":305.5,"width":320,"height":290,"visible":true,"key":true,"level":"floating","controls":[{"number":0,"kind":"checkbox","text":"Show \"time\"","state":2,"x":580,"y":325,"width":200,"height":18},{"number":7,"kind":"frame","text":"Display","state":0,"x":570,"y":315,"width":300,"height":120}]})"},
        {window_line(2, limits),
         R"({"event":"window","t":2,"number":2,"title":"W2","x":10,"y":20,"width":320,"height":290,"visible":true,"key":false,"level":"normal","controls":[{"number":4,"kind":"choice","text":"80%","state":1,"x":0,"y":0,"width":60,"height":20,"items":["70%","80%"]},{"number":5,"kind":"button","text":"Once","state":0,"x":0,"y":30,"width":90,"height":20,"enabled":false}]})"},
        {window_closed_line(3, 1), R"({"event":"window","t":3,"number":1,"closed":true})"},
        {alert_line(4, alert),
         R"({"event":"alert","t":4,"title":"Low battery","text":"5 %\nleft","icon":"caution","buttons":["OK","Cancel"]})"},
        {sound_line(6, 1005), R"({"event":"sound","t":6,"id":1005})"},
        {notification_line(6, {"critical", "Battery \"Low\"", "5%\nleft", true}),
         R"({"event":"notification","t":6,"kind":"critical","title":"Battery \"Low\"","text":"5%\nleft","urgent":true})"},
        {open_line(7, "https://example.org/?a=\"b\""),
         R"({"event":"open","t":7,"url":"https://example.org/?a=\"b\""})"},
        {exit_line(8, 0), R"({"event":"exit","t":8,"status":0})"},
        {error_line(9, "menu 9\x01", "no menu item 9"),
         R"({"event":"error","t":9,"command":"menu 9\u0001","message":"no menu item 9"})"},
        {end_line(10000), R"({"event":"end","t":10000})"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.line, c.expected);
}

TEST(DriverOutput, WritesOnlyWhatChangedInStatusMenuWindowsAlertOrder) {
    Fixture f;
    EXPECT_EQ(f.changes(), Lines{});
    f.output.set_alert(AlertSnapshot{"A", "", AlertIcon::note, {"OK"}});
    f.output.set_window(window_snapshot(2));
    f.output.set_window(window_snapshot(1));
    f.output.set_status_menu(menu());
    f.output.set_status(status("50%"));
    f.clock.advance_to(1000);
    auto lines = f.changes();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].substr(0, 26), R"({"event":"status","t":1000)");
    EXPECT_EQ(lines[1].substr(0, 16), R"({"event":"menu",)");
    EXPECT_EQ(lines[2], window_line(1000, window_snapshot(1)));
    EXPECT_EQ(lines[3], window_line(1000, window_snapshot(2)));
    EXPECT_EQ(lines[4].substr(0, 17), R"({"event":"alert",)");

    // The same state told again is no change, also after another was told in between.
    f.output.set_status(status("49%"));
    f.output.set_status(status("50%"));
    f.output.set_status_menu(menu());
    f.output.set_window(window_snapshot(1));
    EXPECT_EQ(f.changes(), Lines{});

    f.output.set_status(status("49%"));
    auto changed = window_snapshot(2);
    changed.title = "Renamed";
    f.output.set_window(changed);
    EXPECT_EQ(f.changes(), (Lines{status_line(1000, status("49%")), window_line(1000, changed)}));
}

TEST(DriverOutput, WritesAWindowOnlyOnceAPersonCouldSeeIt) {
    Fixture f;
    f.output.set_window(window_snapshot(1, false));
    EXPECT_EQ(f.changes(), Lines{}) << "hidden from the start";
    f.output.set_window(window_snapshot(1, true));
    EXPECT_EQ(f.changes(), Lines{window_line(0, window_snapshot(1, true))});
    f.output.set_window(window_snapshot(1, false));
    EXPECT_EQ(f.changes(), Lines{window_line(0, window_snapshot(1, false))})
        << "hiding is a change";
    f.output.window_closed(1);
    EXPECT_EQ(f.changes(), Lines{window_closed_line(0, 1)});
    EXPECT_EQ(f.changes(), Lines{}) << "closed once";

    // A window opened and closed between two writes was never on screen.
    f.output.set_window(window_snapshot(3));
    f.output.window_closed(3);
    EXPECT_EQ(f.changes(), Lines{});
    EXPECT_EQ(f.output.window(3), nullptr);
}

TEST(DriverOutput, FormatsTheHistoryAsItsThreeChartsOrNull) {
    const auto chart = [](std::string title, int64_t from, int64_t to) {
        Chart made;
        made.title = std::move(title);
        made.from = from;
        made.to = to;
        return made;
    };
    HistoryCharts charts;
    charts.last_day = chart("Last 24 \"hours\"", 1000, 87400);
    charts.last_day.ticks = {{1000, "00:16"}, {44200, "12:16"}};
    charts.last_day.runs = {{{1000, 80}, {1060, 79.5}}, {{50000, 100}}};
    charts.last_day.marked = {{40000, 50000}, {60000, 87400}};
    charts.last_ten_days = chart("Last 10 days", -864000, 0);
    charts.last_ten_days.low = 12.25;
    charts.last_ten_days.high = 97.5;
    charts.last_ten_days.caption = "line\nnext";
    charts.health = chart("Health", 0, 31536000);
    charts.health.low = 70;
    charts.health.unit = "mAh";
    charts.health.runs = {{{0, 99.9}, {86400, std::numeric_limits<double>::quiet_NaN()}}};
    charts.health.trend = {{0, 100}, {31536000, 78.125}};
    charts.health.caption = "Health 91 %: \xE2\x88\x92"
                            "2.1 % in 6 months; 80 % around May 2029";

    EXPECT_EQ(history_line(7, nullptr), R"({"event":"history","t":7,"history":null})");
    EXPECT_EQ(
        history_line(20, &charts),
        R"({"event":"history","t":20,"history":{)"
        R"("last_day":{"title":"Last 24 \"hours\"","from":1000,"to":87400,"low":0,"high":100,"unit":"%",)"
        R"("ticks":[{"time":1000,"label":"00:16"},{"time":44200,"label":"12:16"}],)"
        R"("runs":[[[1000,80],[1060,79.5]],[[50000,100]]],"marked":[[40000,50000],[60000,87400]],)"
        R"("trend":[],"caption":""},)"
        R"("last_ten_days":{"title":"Last 10 days","from":-864000,"to":0,"low":12.25,"high":97.5,)"
        R"("unit":"%","ticks":[],"runs":[],"marked":[],"trend":[],"caption":"line\nnext"},)"
        R"("health":{"title":"Health","from":0,"to":31536000,"low":70,"high":100,"unit":"mAh",)"
        R"("ticks":[],"runs":[[[0,99.9],[86400,null]]],"marked":[],)"
        R"("trend":[[0,100],[31536000,78.125]],)"
        "\"caption\":\"Health 91 %: \xE2\x88\x92"
        "2.1 % in 6 months; 80 % around May 2029\"}}}");
}
