#include "platform/display/terminal/terminal_input.h"

#include "tests/platform/display/terminal/terminal_test_snapshots.h"
#include "tests/support/input_text.h"

#include <gtest/gtest.h>

using namespace terminal_test;

namespace {

// What a run of keys produced: each input as input_text gives it, a refusal as "refused", each
// followed by a comma.
std::string run_keys(TerminalState& state, const std::string& bytes) {
    std::string result;
    for (const Key& key : decode_keys(bytes)) {
        KeyOutcome outcome = handle_key(state, key);
        if (outcome.refused) result += "refused,";
        if (outcome.input) result += input_text(*outcome.input) + ",";
    }
    return result;
}

TerminalState with_menu() {
    TerminalState state;
    state.menu = status_menu();
    return state;
}

struct Row {
    std::string keys;
    std::string expected;
};

} // namespace

TEST(TerminalInput, ChoosesMenuItemsByNumberOrLetter) {
    const Row rows[] = {
        {"m4", "menu 4,"},
        {"\n9", "menu 9,"}, // Return opens the menu too
        {"mq", "menu 9,"},  // the item's key equivalent
        {"mQ", "menu 9,"},
        {"i", "menu 3,"},       // a key equivalent works without opening the menu
        {"m1", "refused,"},     // disabled
        {"m1\x1b", "refused,"}, // and the menu stays open until Escape
        {"m7", "refused,"},     // no such item
        {"mx", "refused,"},
        {"m\x1b"
         "4",
         "refused,"},        // closed: a digit means nothing
        {"mm4", "refused,"}, // m closes it again
        {"s", "sleep,"},
        {"w", "wake,"},
        {"t", "terminate,"},
        {"z", "refused,"},
    };
    for (const auto& row : rows) {
        TerminalState state = with_menu();
        EXPECT_EQ(run_keys(state, row.keys), row.expected) << row.keys;
    }
}

TEST(TerminalInput, KeepsTheMenuOpenAfterARefusalAndSaysWhy) {
    TerminalState state = with_menu();
    run_keys(state, "m1");
    EXPECT_TRUE(state.menu_open);
    EXPECT_EQ(state.note, "\"Currently on Battery Power\" is not available now");
    EXPECT_EQ(run_keys(state, "4"), "menu 4,");
    EXPECT_FALSE(state.menu_open);
    EXPECT_EQ(state.note, "");
}

TEST(TerminalInput, TogglesWindowBoxesByGadgetNumber) {
    const Row rows[] = {
        {"3", "click 1 3,"},
        {"2", "click 1 2,"},
        {"1", ""}, // may still become 11
        {"11", "click 1 11,"},
        {"1\n", "refused,"}, // 1 alone is no box
        {"5", "refused,"},
        {"1\x7f"
         "3",
         "click 1 3,"}, // Backspace takes the digit back
        {"1\x1b"
         "2",
         "click 1 2,"}, // Escape drops the digits without closing
        {"c", "close 1,"},
        {"\x1b", "close 1,"},
        {"q", "menu 9,"},  // Quit's key equivalent still works
        {"m4", "menu 4,"}, // and so does the menu
        {"m\x1b"
         "3",
         "click 1 3,"},
        {"\n", ""},
    };
    for (const auto& row : rows) {
        TerminalState state = with_menu();
        state.set_window(preferences());
        EXPECT_EQ(run_keys(state, row.keys), row.expected) << row.keys;
    }
}

TEST(TerminalInput, RefusesToCloseAWindowWithoutCloseButton) {
    TerminalState state = with_menu();
    WindowSnapshot window = preferences();
    window.closable = false;
    state.set_window(window);
    EXPECT_EQ(run_keys(state, "c"), "refused,");
    EXPECT_EQ(state.note, "\"Preferences\" cannot be closed");
}

TEST(TerminalInput, AnswersAlertsWithReturnOrAButtonNumber) {
    const Row rows[] = {
        {"\n", "answer 1,"}, {"2", "answer 2,"},    {"1", "answer 1,"},
        {"4", "refused,"},   {"\x1b", "answer 3,"}, // the button titled Cancel
        {"q", "refused,"},                          // nothing else works while the alert is shown
        {"m", "refused,"},
    };
    for (const auto& row : rows) {
        TerminalState state = with_menu();
        state.alert = AlertSnapshot{"Title", "Text", AlertIcon::note, {"OK", "More", "Cancel"}};
        EXPECT_EQ(run_keys(state, row.keys), row.expected) << row.keys;
    }
}

TEST(TerminalInput, AnswersAnAlertWithoutButtonsWithItsOkButton) {
    TerminalState state;
    state.alert = AlertSnapshot{"Title", "", AlertIcon::app, {}};
    EXPECT_EQ(run_keys(state, "2\x1b"
                              "1"),
              "refused,refused,answer 1,");
}
