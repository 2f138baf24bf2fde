#include "platform/display/driver/driver_display.h"

#include "platform/display/history_source.h"

#include "tests/platform/display/terminal/terminal_test_snapshots.h"
#include "tests/support/driver_session.h"
#include "tests/support/input_text.h"

#include <gtest/gtest.h>

namespace {

WindowSnapshot window(int number, bool visible, std::vector<int> controls = {}) {
    WindowSnapshot snapshot;
    snapshot.number = number;
    snapshot.visible = visible;
    for (int control : controls)
        snapshot.controls.push_back(
            ControlSnapshot{control, ControlKind::checkbox, "c", 0, {}, {}, true});
    return snapshot;
}

struct RepeatingTimer : Display::ModalPass {
    RepeatingTimer(const Display& display, int64_t interval)
        : display(display), interval(interval), next(interval) {}
    std::optional<int64_t> run_due() override {
        while (next <= display.now_ms()) {
            fired.push_back(display.now_ms());
            next += interval;
        }
        return next;
    }
    const Display& display;
    int64_t interval;
    int64_t next;
    std::vector<int64_t> fired;
};

// A history source for one test, taken away again at its end.
struct SourceInstalled {
    explicit SourceInstalled(HistorySource source) { set_history_source(std::move(source)); }
    ~SourceInstalled() { set_history_source({}); }
    SourceInstalled(const SourceInstalled&) = delete;
    SourceInstalled& operator=(const SourceInstalled&) = delete;
};

std::shared_ptr<const HistoryCharts> charts_titled(const std::string& title) {
    auto charts = std::make_shared<HistoryCharts>();
    charts->last_day.title = title;
    charts->health.caption = title;
    return charts;
}

} // namespace

// A deadline not after now times out without reading; an advance ending exactly on one is used up.
TEST(DriverDisplay, TimesOutAtDeadlinesWithoutReadingAhead) {
    DriverScript d("advance 500\nwake\n");
    EXPECT_EQ(input_text(d.display.wait_for_input(0)), "timeout");
    EXPECT_EQ(input_text(d.display.wait_for_input(-5)), "timeout");
    EXPECT_EQ(input_text(d.display.wait_for_input(500)), "timeout");
    EXPECT_EQ(input_text(d.display.wait_for_input(1000)), "wake");
    EXPECT_EQ(d.display.now_ms(), 500);
    EXPECT_EQ(d.take_lines(), Lines{});
}

TEST(DriverDisplay, RefusesWhatAPersonCouldNotDo) {
    DriverScript d("menu 1\nmenu 2\nmenu 3\nkey 5 cmd+i\nkey 6 cmd+i\nclick 9\nclick 4\nclose 6\n"
                   "close 7\nanswer 1\nbogus\nadvance x\nchoose 9 1\nchoose 4 2\n");
    d.display.set_status_menu(std::vector<MenuItemSnapshot>{
        MenuItemSnapshot{false, 1, "On", "", 0, true}, terminal_test::separator(),
        MenuItemSnapshot{false, 2, "Off", "", 0, false}});
    d.display.set_window(window(5, true, {4}));
    d.display.set_window(window(6, false, {9}));
    auto fixed = window(7, true);
    fixed.closable = false;
    d.display.set_window(fixed);

    Lines accepted;
    for (Input input = d.display.wait_for_input(std::nullopt);
         !std::holds_alternative<EndOfInput>(input); input = d.display.wait_for_input(std::nullopt))
        accepted.push_back(input_text(input));
    EXPECT_EQ(accepted,
              (Lines{"menu 1", "key 5 cmd+i", "key 6 cmd+i", "click 5 4", "choose 5 4 2"}));
    Lines lines = d.take_lines();
    lines.erase(lines.begin(), lines.begin() + 3); // menu and the two visible windows
    EXPECT_EQ(lines, (Lines{error_line(0, "menu 2", "menu item 2 is disabled"),
                            error_line(0, "menu 3", "no menu item 3"),
                            error_line(0, "click 9", "no control 9 in a visible window"),
                            error_line(0, "close 6", "no visible window 6"),
                            error_line(0, "close 7", "window 7 has no close button"),
                            error_line(0, "answer 1", "no alert is on screen"),
                            error_line(0, "bogus", "unknown command"),
                            error_line(0, "advance x", "MS is not a number: x"),
                            error_line(0, "choose 9 1", "no control 9 in a visible window"),
                            R"({"event":"end","t":0})"}));
}

TEST(DriverDisplay, AnAlertHoldsEverythingButAnswerAdvanceDumpMouseAndHistory) {
    SourceInstalled installed([] { return charts_titled("during the alert"); });
    DriverScript d(
        "menu 1\nclick 1\nadvance 2500\nmouse 30 40\ndump\nhistory\nanswer 3\nanswer 2\nwake\n");
    d.display.set_status_menu(std::vector<MenuItemSnapshot>{{false, 1, "On", "", 0, true}});
    d.display.wait_for_input(0);
    d.take_lines();

    RepeatingTimer modal_timer(d.display, 1000);
    AlertSnapshot alert{"Low", "5%", AlertIcon::caution, {"OK", "Later"}};
    EXPECT_EQ(d.display.run_alert(alert, modal_timer), 2);
    EXPECT_EQ(modal_timer.fired, (std::vector<int64_t>{1000, 2000}));
    EXPECT_EQ(d.display.pointer(), (ScreenPoint{30, 40}));
    const std::string menu =
        R"({"event":"menu","t":2500,"items":[{"number":1,"title":"On","key":"","modifiers":[],"enabled":true}]})";
    EXPECT_EQ(
        d.take_lines(),
        (Lines{alert_line(0, alert), error_line(0, "menu 1", "an alert is on screen"),
               error_line(0, "click 1", "an alert is on screen"), menu, alert_line(2500, alert),
               history_line(2500, charts_titled("during the alert").get()),
               error_line(2500, "answer 3", "the alert has no button 3")}));
    EXPECT_EQ(input_text(d.display.wait_for_input(std::nullopt)), "wake") << "answered";
}

// The end is written once, however often the input is asked for after it; an alert up then is
// left unanswered.
TEST(DriverDisplay, WritesEndOnceAndLeavesAnAlertUnansweredWhenInputEnds) {
    DriverScript d("# nothing but a comment\n\nadvance 10\n");
    RepeatingTimer modal_timer(d.display, 1000);
    AlertSnapshot alert{"Quit?", "", AlertIcon::stop, {"Quit", "Cancel"}};
    EXPECT_EQ(d.display.run_alert(alert, modal_timer), 0);
    EXPECT_EQ(input_text(d.display.wait_for_input(std::nullopt)), "end");
    EXPECT_EQ(d.take_lines(), (Lines{alert_line(0, alert), R"({"event":"end","t":10})"}));
}

// A run loop told to run for ever waits for the distant future: time moved past it spun for ever.
TEST(DriverDisplay, RefusesToAdvancePastTheDistantFuture) {
    DriverScript d("advance 62000000000000\nadvance 9223372036854775807\nadvance 1\n");
    EXPECT_EQ(input_text(d.display.wait_for_input(std::nullopt)), "end");
    EXPECT_EQ(d.display.now_ms(), 62000000000001);
    const Lines lines = d.take_lines();
    ASSERT_EQ(lines.size(), 2u); // the refusal, then the end
    EXPECT_NE(lines[0].find(R"("command":"advance 9223372036854775807")"), std::string::npos)
        << lines[0];
}

// Each `history` asks the source anew and is answered at once, at the time it was given; the
// model hears nothing of it.
TEST(DriverDisplay, AnswersHistoryWithWhatTheSourceHasAtThatMoment) {
    int asked = 0;
    auto numbered = [&asked]() -> std::shared_ptr<const HistoryCharts> {
        ++asked;
        return asked == 2 ? nullptr : charts_titled("asked " + std::to_string(asked));
    };
    struct Case {
        std::string name;
        HistorySource source;
        Lines expected;
    };
    const Case cases[] = {
        {"no source",
         {},
         {history_line(0, nullptr), history_line(250, nullptr), history_line(250, nullptr)}},
        {"a source with nothing",
         [] { return nullptr; },
         {history_line(0, nullptr), history_line(250, nullptr), history_line(250, nullptr)}},
        {"a source asked each time",
         numbered,
         {history_line(0, charts_titled("asked 1").get()), history_line(250, nullptr),
          history_line(250, charts_titled("asked 3").get())}},
    };
    for (const auto& c : cases) {
        SourceInstalled installed(c.source);
        DriverScript d("history\nadvance 250\nhistory\n history \nwake\n");
        EXPECT_EQ(input_text(d.display.wait_for_input(std::nullopt)), "wake") << c.name;
        EXPECT_EQ(d.take_lines(), c.expected) << c.name;
    }
    EXPECT_EQ(asked, 3);
}
