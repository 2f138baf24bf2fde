#pragma once
// Snapshots shaped like the indicator's status item, menu and Preferences window, shared by the
// terminal display's tests.

#include "platform/display/display_snapshots.h"
#include "platform/display/keyboard.h"

#include <memory>
#include <string>
#include <vector>

namespace terminal_test {

inline MenuItemSnapshot item(int number, std::string title, std::string key = {},
                             bool enabled = true) {
    const uint8_t modifiers = key.empty() ? 0 : static_cast<uint8_t>(KeyModifier::command);
    return {false, number, std::move(title), std::move(key), modifiers, enabled};
}

inline MenuItemSnapshot separator() {
    return {true, 0, "", "", 0, true};
}

inline std::vector<MenuItemSnapshot> status_menu() {
    return {item(1, "Currently on Battery Power", {}, false),
            separator(),
            item(3, "Show Battery Information...", "i"),
            separator(),
            item(4, "Preferences..."),
            separator(),
            item(9, "Quit Zerarazi", "q")};
}

inline ControlSnapshot control(int number, ControlKind kind, std::string text, int state = 0,
                               std::vector<std::string> items = {}, bool enabled = true) {
    return {number, kind, std::move(text), state, {}, std::move(items), enabled};
}

inline WindowSnapshot shown_window(int number, std::string title,
                                   std::vector<ControlSnapshot> controls) {
    return {
        number, std::move(title), {}, true, true, true, WindowLevel::normal, std::move(controls)};
}

inline WindowSnapshot preferences(int condition_state = 0) {
    return shown_window(
        1, "Preferences",
        {control(-1, ControlKind::text, "Select the information"),
         control(-1, ControlKind::frame, ""),
         control(3, ControlKind::checkbox, "Show Battery Condition", condition_state),
         control(2, ControlKind::checkbox, "Show Battery Charge %", 1),
         control(11, ControlKind::checkbox, "Start at Login")});
}

// A window with the other controls a person operates: a choice of four items with the third
// selected, a button, a disabled button, a choice at its last item and an empty one.
inline WindowSnapshot charge_limits() {
    using enum ControlKind;
    return shown_window(2, "Limits",
                        {control(3, checkbox, "Limit Charge to 80%", 1),
                         control(12, choice, "80%", 2, {"60%", "70%", "80%", "90%"}),
                         control(13, button, "Charge to 100% Once"),
                         control(14, button, "Stop", 0, {}, false),
                         control(15, choice, "b", 1, {"a", "b"}), control(16, choice, "", -1)});
}

// A history as the Battery Information alert carries it: a day's and ten days' charge falling
// by a percent an hour, charging for the last two hours, and a health chart with its verdict.
inline std::shared_ptr<const HistoryCharts> history_charts() {
    constexpr std::int64_t hour = 3600, day = 24 * hour, now = 1'800'000'000;
    auto charge = [&](std::string title, std::int64_t span) {
        Chart chart;
        chart.title = std::move(title);
        chart.from = now - span;
        chart.to = now;
        chart.runs.emplace_back();
        for (std::int64_t t = chart.from; t <= now; t += hour)
            chart.runs.back().push_back({t, static_cast<double>((now - t) / hour % 100)});
        chart.marked = {{now - 2 * hour, now}};
        chart.ticks = {{now - span / 2, "half"}, {now, "now"}};
        return chart;
    };
    HistoryCharts charts{charge("Charge, last 24 hours", day),
                         charge("Charge, last 10 days", 10 * day), Chart{}};
    charts.health.title = "Health";
    charts.health.from = now - 300 * day;
    charts.health.to = now;
    charts.health.low = 60;
    charts.health.runs = {{{now - 300 * day, 95}, {now, 91}}};
    charts.health.caption = "Health 91 %: -2.1 % in 6 months";
    return std::make_shared<const HistoryCharts>(charts);
}

} // namespace terminal_test
