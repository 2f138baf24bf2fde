#include "platform/display/terminal/terminal_state.h"

#include <gtest/gtest.h>

namespace {

WindowSnapshot terminal_window(int number, bool visible, bool key = false) {
    WindowSnapshot snapshot;
    snapshot.number = number;
    snapshot.visible = visible;
    snapshot.key = key;
    return snapshot;
}

std::vector<int> visible_numbers(const TerminalState& state) {
    std::vector<int> numbers;
    for (const auto* w : state.visible_windows())
        numbers.push_back(w->number);
    return numbers;
}

} // namespace

TEST(TerminalState, ListsVisibleWindowsInTheOrderTheyWereShownAndFocusesTheKeyOne) {
    TerminalState state;
    EXPECT_EQ(state.focused_window(), nullptr);
    state.set_window(terminal_window(5, true, true));
    state.set_window(terminal_window(2, true));
    state.set_window(terminal_window(9, false)); // hidden windows are not shown
    EXPECT_EQ(state.focused_window()->number, 5);
    state.set_window(terminal_window(5, true)); // a change is not a new showing
    EXPECT_EQ(visible_numbers(state), (std::vector<int>{5, 2}));
    EXPECT_EQ(state.focused_window()->number, 2);
    state.set_window(terminal_window(5, false));
    state.set_window(terminal_window(5, true)); // shown again: now the latest
    EXPECT_EQ(visible_numbers(state), (std::vector<int>{2, 5}));
    state.close_window(2);
    EXPECT_EQ(visible_numbers(state), (std::vector<int>{5}));
}
