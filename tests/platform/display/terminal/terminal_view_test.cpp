#include "platform/display/terminal/terminal_view.h"

#include "platform/display/terminal/terminal_text.h"
#include "tests/platform/display/terminal/terminal_test_snapshots.h"

#include <gtest/gtest.h>

using namespace terminal_test;

namespace {

using Lines = std::vector<std::string>;
constexpr ViewOptions k_plain{.colour = false};

StatusSnapshot status(std::optional<std::string> image, std::string title,
                      std::optional<std::string> tooltip = std::nullopt) {
    return StatusSnapshot{std::move(image), true, std::move(title), std::move(tooltip)};
}

} // namespace

TEST(TerminalView, DrawsTheStatusItemOnOneLine) {
    struct Row {
        std::optional<StatusSnapshot> status;
        std::string expected;
    };
    const Row rows[] = {
        {status("battery_icon.png", "78%"), "[████] 78%"},
        {status("75_battery_icon.png", "70%", "70% remaining on Battery Power"),
         "[███ ] 70% (70% remaining on Battery Power)"},
        {status("50_battery_icon.png", "50%"), "[██  ] 50%"},
        {status("25_battery_icon.png", "20%"), "[█   ] 20%"},
        {status("10_battery_icon.png", "5%"), "[▏   ] 5%"},
        {status("battery_icon_charging.png", "100%"), "[████]⚡ 100%"},
        {status("/app/Resources/battery_icon_ac.png", "90%"), "[▒▒▒▒]🔌 90%"},
        {status("other.png", "1%"), "[····] 1%"},
        {status(std::nullopt, "no picture"), "no picture"},
        {status("battery_icon.png", ""), "[████]"},
        {status("battery_icon.png", "two\nlines", ""), "[████] two lines"},
        {std::nullopt, "(no status item)"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(status_line(row.status, k_plain), row.expected)
            << (row.status ? row.status->title : "no status");
    }
}

TEST(TerminalView, MarksTheStatusPartsAndDisabledItems) {
    ViewOptions colour{.colour = true};
    EXPECT_EQ(status_line(status("10_battery_icon.png", "5%", "tip"), colour),
              "\x1b[31m[▏   ]\x1b[0m \x1b[1m5%\x1b[0m \x1b[2m(tip)\x1b[0m");
    EXPECT_EQ(menu_lines(status_menu(), colour)[0],
              "  \x1b[2m1  Currently on Battery Power\x1b[0m"); // disabled: dim
    EXPECT_EQ(window_lines(charge_limits(), false, colour)[4], "  \x1b[2m    14  [ Stop ]\x1b[0m");
}

TEST(TerminalView, WritesKeyEquivalentsWithTheirModifiers) {
    constexpr auto cmd = static_cast<uint8_t>(KeyModifier::command);
    constexpr auto shift = static_cast<uint8_t>(KeyModifier::shift);
    constexpr auto alt_ctrl =
        static_cast<uint8_t>(KeyModifier::alternate) | static_cast<uint8_t>(KeyModifier::control);
    const struct {
        uint8_t modifiers;
        std::string key, expected;
    } rows[] = {
        {cmd | shift, "z", "⇧⌘Z"}, {cmd | alt_ctrl, ",", "⌃⌥⌘,"}, {0, "f5", "f5"}, {cmd, "", ""}};
    for (const auto& row : rows) {
        EXPECT_EQ(key_equivalent_label({false, 1, "", row.key, row.modifiers, true}), row.expected)
            << row.key;
    }
}

TEST(TerminalView, PrintsTheAlertTextLineByLine) {
    AlertSnapshot alert{"Battery Information",
                        "Cycles: 5\r\nCondition: Good\rHealth\n\r90%",
                        AlertIcon::caution,
                        {"OK", "Copy"}};
    Lines expected = {"⚠ Battery Information", "  Cycles: 5", "  Condition: Good", "  Health",
                      "  90%"};
    EXPECT_EQ(alert_text_lines(alert, k_plain), expected);
    EXPECT_EQ(alert_buttons_line(alert, k_plain), "  [1 OK]  [2 Copy]");
    alert.buttons.clear();
    EXPECT_EQ(alert_buttons_line(alert, k_plain), "  [1 OK]");
}

TEST(TerminalView, PrintsTheHistoryChartsUnderTheUnchangedReport) {
    AlertSnapshot alert{
        "Battery Information", "Cycles: 5\nCondition: Good", AlertIcon::note, {"OK"}};
    const Lines report = alert_text_lines(alert, k_plain);
    ASSERT_EQ(report, (Lines{"ℹ Battery Information", "  Cycles: 5", "  Condition: Good"}));
    alert.history = history_charts();
    for (size_t columns : {32u, 79u, 150u}) {
        Lines lines = alert_text_lines(alert, {.colour = false, .columns = columns});
        ASSERT_GT(lines.size(), report.size());
        EXPECT_EQ(Lines(lines.begin(), lines.begin() + 3), report) << columns;
        Lines titles, axes;
        size_t rows = 0;
        for (size_t i = report.size(); i < lines.size(); ++i) {
            EXPECT_LE(display_width(lines[i]), columns) << columns << ": " << lines[i];
            EXPECT_TRUE(lines[i].empty() || lines[i].starts_with("  ")) << lines[i];
            if (lines[i].empty()) titles.push_back(lines.at(i + 1));
            if (lines[i].find("└") != std::string::npos) axes.push_back(lines[i]);
            if (lines[i].find("┤") != std::string::npos) ++rows;
        }
        const Lines expected_titles =
            columns < 40 ? Lines{"  Charge, last 24 hours", "  Charge, last 10 days", "  Health"}
                         : Lines{"  Charge, last 24 hours  ━ charging",
                                 "  Charge, last 10 days  ━ charging", "  Health"};
        EXPECT_EQ(titles, expected_titles) << columns;
        ASSERT_EQ(axes.size(), 3u) << columns;
        for (const auto& axis : axes)
            EXPECT_EQ(display_width(axis), columns) << columns;
        EXPECT_EQ(rows, 3u * 3) << "each chart labelled at its top, middle and bottom";
        EXPECT_TRUE(lines.back().ends_with(" months")) << "the verdict last";
    }
    // Too narrow for a chart: only the verdict is left.
    Lines narrow = alert_text_lines(alert, {.colour = false, .columns = 31});
    EXPECT_EQ(narrow, (Lines{"ℹ Battery Information", "  Cycles: 5", "  Condition: Good", "",
                             "  Health 91 %: -2.1 % in 6", "  months"}));
}

// Each chart takes a blank line, its title, its rows, the time axis and its labels, and its
// caption: 10, 10 and 10 lines with 6 rows for the charge and 5 for the health, 2 for the health's
// caption alone. The report and the three lines of the live region stay on the screen.
TEST(TerminalView, DrawsTheChartsAsTallAsTheScreenLeavesTheReportInSight) {
    struct Row {
        size_t screen_rows;
        size_t history_lines;
        std::string report = "Cycles: 5\nCondition: Good";
    };
    const std::string wide(100, 'w'); // two rows of an 80-column screen
    const Row rows[] = {{0, 30},
                        {36, 30},
                        {35, 27},
                        {30, 24},
                        {28, 22},
                        {27, 16},
                        {21, 14},
                        {19, 2},
                        {5, 2},
                        {37, 30, "Cycles: 5\n" + wide},
                        {36, 27, "Cycles: 5\n" + wide}};
    for (const auto& row : rows) {
        AlertSnapshot alert{"Battery Information", row.report, AlertIcon::note, {"OK"}};
        alert.history = history_charts();
        Lines lines =
            alert_text_lines(alert, {.colour = false, .columns = 79, .rows = row.screen_rows});
        EXPECT_EQ(lines.size() - 3, row.history_lines) << row.screen_rows << " rows";
        EXPECT_EQ(lines.back(), "  Health 91 %: -2.1 % in 6 months") << row.screen_rows;
    }
}

TEST(TerminalView, ComposesTheWholeViewForWhatIsOpen) {
    struct Row {
        std::string name;
        TerminalState state;
        Lines expected;
    };
    TerminalState plain;
    plain.status = status("battery_icon.png", "78%");
    plain.menu = status_menu();

    TerminalState menu = plain;
    menu.menu_open = true;
    menu.typed = "1";
    menu.note = "\"Currently on Battery Power\" is not available now";

    TerminalState window = plain;
    window.set_window(preferences());

    TerminalState limits = plain;
    limits.set_window(charge_limits());

    TerminalState alert = window;
    alert.alert = AlertSnapshot{"Title", "Text", AlertIcon::app, {"OK"}};

    EXPECT_EQ(window_lines(preferences(1), false, k_plain)[0], "── Preferences ──") << "unfocused";
    const Row rows[] = {
        {"status only",
         plain,
         {"[████] 78%", "  m menu · i Show Battery Information · q Quit Zerarazi · s sleep · w "
                        "wake · t log out"}},
        {"menu open",
         menu,
         {"[████] 78%", "  1  Currently on Battery Power", "  ────────────",
          "  3  Show Battery Information...  ⌘I", "  ────────────", "  4  Preferences...",
          "  ────────────", "  9  Quit Zerarazi                ⌘Q",
          "  number or letter chooses · Esc closes the menu  ▸ 1",
          "  \"Currently on Battery Power\" is not available now"}},
        {"buttons and choices",
         limits,
         {"[████] 78%", "── Limits ──  (c closes)", "  [x]  3  Limit Charge to 80%",
          "      12  < 80% >", "      13  [ Charge to 100% Once ]", "      14  [ Stop ]",
          "      15  < b >", "      16  <  >",
          "  number ticks, presses or turns a control (Return ends it) · c close · m menu"}},
        {"alert over a window",
         alert,
         {"[████] 78%", "  [1 OK]", "  Return OK · a number chooses its button"}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(render_view(row.state, k_plain), row.expected) << row.name;
}
