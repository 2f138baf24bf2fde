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

// What is on screen when the keys come.
enum class Shown : uint8_t { menu, window, fixed_window, alert, alert_without_buttons, limits };

TerminalState state_showing(Shown shown) {
    TerminalState state;
    if (shown != Shown::alert_without_buttons) state.menu = status_menu();
    WindowSnapshot window = preferences();
    window.closable = shown != Shown::fixed_window;
    if (shown == Shown::window || shown == Shown::fixed_window) state.set_window(window);
    if (shown == Shown::limits) state.set_window(charge_limits());
    if (shown == Shown::alert)
        state.alert = AlertSnapshot{"Title", "Text", AlertIcon::note, {"OK", "More", "Cancel"}};
    if (shown == Shown::alert_without_buttons)
        state.alert = AlertSnapshot{"Title", "", AlertIcon::app, {}};
    return state;
}

} // namespace

TEST(TerminalInput, TurnsKeysIntoInputForWhatIsShown) {
    using S = Shown;
    const struct {
        Shown shown;
        std::string keys, expected;
    } rows[] = {
        // Menu items by number or letter.
        {S::menu, "m4", "menu 4,"},
        {S::menu, "\n9", "menu 9,"},     // Return opens the menu too
        {S::menu, "mQ", "menu 9,"},      // the item's key equivalent
        {S::menu, "i", "menu 3,"},       // a key equivalent works without opening the menu
        {S::menu, "m1\033", "refused,"}, // disabled, and the menu stays open until Escape
        {S::menu, "m7", "refused,"},     // no such item
        {S::menu, "mx", "refused,"},
        {S::menu, "m\0334", "refused,"}, // closed: a digit means nothing
        {S::menu, "mm4", "refused,"},    // m closes it again
        {S::menu, "s", "sleep,"},
        {S::menu, "w", "wake,"},
        {S::menu, "t", "terminate,"},
        {S::menu, "z", "refused,"},
        // Window boxes by gadget number.
        {S::window, "3", "click 1 3,"},
        {S::window, "1", ""}, // may still become 11
        {S::window, "11", "click 1 11,"},
        {S::window, "1\n", "refused,"}, // 1 alone is no box
        {S::window, "5", "refused,"},
        {S::window, "1\1773", "click 1 3,"}, // Backspace takes the digit back
        {S::window, "1\0332", "click 1 2,"}, // Escape drops the digits without closing
        {S::window, "c", "close 1,"},
        {S::window, "\033", "close 1,"},
        {S::window, "q", "menu 9,"},  // Quit's key equivalent still works
        {S::window, "m4", "menu 4,"}, // and so does the menu
        {S::window, "m\0333", "click 1 3,"},
        {S::window, "\n", ""},
        {S::fixed_window, "c", "refused,"},
        // A choice turns to its next item, back to the first after the last; a button is clicked.
        {S::limits, "12", "choose 2 12 3,"},
        {S::limits, "15", "choose 2 15 0,"},
        {S::limits, "16", "refused,"}, // nothing to choose
        {S::limits, "13", "click 2 13,"},
        {S::limits, "14", "refused,"}, // disabled
        {S::limits, "3", "click 2 3,"},
        // Alerts by Return or a button number; nothing else works while one is shown.
        {S::alert, "\n", "answer 1,"},
        {S::alert, "2", "answer 2,"},
        {S::alert, "4", "refused,"},
        {S::alert, "\033", "answer 3,"}, // the button titled Cancel
        {S::alert, "qm", "refused,refused,"},
        {S::alert_without_buttons, "2\0331", "refused,refused,answer 1,"}, // its OK button
    };
    for (const auto& row : rows) {
        TerminalState state = state_showing(row.shown);
        EXPECT_EQ(run_keys(state, row.keys), row.expected)
            << "shown " << static_cast<int>(row.shown) << ", keys " << row.keys;
    }
}

TEST(TerminalInput, SaysWhyAKeyWasRefused) {
    TerminalState state = state_showing(Shown::menu);
    run_keys(state, "m1");
    EXPECT_TRUE(state.menu_open);
    EXPECT_EQ(state.note, "\"Currently on Battery Power\" is not available now");
    EXPECT_EQ(run_keys(state, "4"), "menu 4,");
    EXPECT_FALSE(state.menu_open);
    EXPECT_EQ(state.note, "");
    state = state_showing(Shown::limits);
    run_keys(state, "14");
    EXPECT_EQ(state.note, "\"Stop\" is not available now");
    state = state_showing(Shown::fixed_window);
    run_keys(state, "c");
    EXPECT_EQ(state.note, "\"Preferences\" cannot be closed");
}
