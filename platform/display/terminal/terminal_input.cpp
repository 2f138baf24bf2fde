#include "platform/display/terminal/terminal_input.h"

#include <cctype>
#include <string>
#include <vector>

namespace {

KeyOutcome produce(Input input) {
    return KeyOutcome{std::move(input), false};
}

KeyOutcome refuse(TerminalState& state, std::string note) {
    state.typed.clear();
    state.note = std::move(note);
    return KeyOutcome{std::nullopt, true};
}

bool is_letter(const Key& key) {
    return key.kind == KeyKind::character && key.text.size() == 1 &&
           std::isalpha(static_cast<unsigned char>(key.text[0]));
}

bool letter_is(const Key& key, char letter) {
    return is_letter(key) && std::tolower(static_cast<unsigned char>(key.text[0])) == letter;
}

bool same_letter(const std::string& key_equivalent, const Key& key) {
    return key_equivalent.size() == 1 &&
           std::isalpha(static_cast<unsigned char>(key_equivalent[0])) &&
           letter_is(
               key, static_cast<char>(std::tolower(static_cast<unsigned char>(key_equivalent[0]))));
}

// ---- status menu ----

const MenuItemSnapshot* menu_item_numbered(const TerminalState& state, int number) {
    if (!state.menu) return nullptr;
    for (const auto& item : *state.menu) {
        if (!item.separator && item.number == number) return &item;
    }
    return nullptr;
}

const MenuItemSnapshot* menu_item_with_key(const TerminalState& state, const Key& key) {
    if (!state.menu || !is_letter(key)) return nullptr;
    for (const auto& item : *state.menu) {
        if (!item.separator && same_letter(item.key, key)) return &item;
    }
    return nullptr;
}

std::vector<int> menu_numbers(const TerminalState& state) {
    std::vector<int> numbers;
    if (!state.menu) return numbers;
    for (const auto& item : *state.menu) {
        if (!item.separator) numbers.push_back(item.number);
    }
    return numbers;
}

KeyOutcome choose_menu_item(TerminalState& state, const MenuItemSnapshot& item) {
    if (!item.enabled) return refuse(state, "\"" + item.title + "\" is not available now");
    state.menu_open = false;
    state.typed.clear();
    return produce(MenuChoice{item.number});
}

// Digits and Return common to the menu, windows and alerts: adds `key` to the number typed and
// calls `choose` with the number once it is chosen.
template <typename Choose>
std::optional<KeyOutcome> enter_number(TerminalState& state, const Key& key,
                                       std::span<const int> numbers, Choose choose) {
    bool complete = key.kind == KeyKind::enter;
    if (!is_digit_key(key) && !(complete && !state.typed.empty())) return std::nullopt;
    if (!complete) state.typed += key.text;
    int chosen = 0;
    switch (match_number(state.typed, numbers, complete, chosen)) {
    case NumberMatch::incomplete:
        return KeyOutcome{};
    case NumberMatch::none:
        return refuse(state, "nothing is numbered " + state.typed);
    case NumberMatch::chosen:
        state.typed.clear();
        return choose(chosen);
    }
    return KeyOutcome{};
}

// Backspace takes back a digit and Escape all of them; nullopt when nothing was typed.
std::optional<KeyOutcome> edit_number(TerminalState& state, const Key& key) {
    if (state.typed.empty()) return std::nullopt;
    if (key.kind == KeyKind::backspace) {
        state.typed.pop_back();
        return KeyOutcome{};
    }
    if (key.kind == KeyKind::escape) {
        state.typed.clear();
        return KeyOutcome{};
    }
    return std::nullopt;
}

// A letter that is a menu item's key equivalent chooses it from anywhere, as the shortcut would.
std::optional<KeyOutcome> menu_shortcut(TerminalState& state, const Key& key) {
    const MenuItemSnapshot* item = menu_item_with_key(state, key);
    if (!item) return std::nullopt;
    return choose_menu_item(state, *item);
}

KeyOutcome open_menu(TerminalState& state) {
    if (!state.menu) return refuse(state, "there is no menu");
    state.menu_open = true;
    state.typed.clear();
    return KeyOutcome{};
}

KeyOutcome menu_key(TerminalState& state, const Key& key) {
    if (auto edited = edit_number(state, key)) return *edited;
    auto numbers = menu_numbers(state);
    auto by_number = enter_number(state, key, numbers, [&](int number) {
        return choose_menu_item(state, *menu_item_numbered(state, number));
    });
    if (by_number) return *by_number;
    if (auto shortcut = menu_shortcut(state, key)) return *shortcut;
    if (key.kind == KeyKind::escape || letter_is(key, 'm')) {
        state.menu_open = false;
        return KeyOutcome{};
    }
    if (key.kind == KeyKind::enter) return KeyOutcome{};
    return refuse(state, "type an item's number or letter; Escape closes the menu");
}

// ---- windows ----

std::vector<int> pressable_numbers(const TerminalState& state) {
    std::vector<int> numbers;
    for (const WindowSnapshot* window : state.visible_windows()) {
        for (const auto& control : window->controls) {
            if (is_pressable(control.kind)) numbers.push_back(control.number);
        }
    }
    return numbers;
}

struct HeldControl {
    int window = 0;
    const ControlSnapshot* control = nullptr;
};

// Gadget numbers are unique across windows, so the first visible window that has it holds it.
HeldControl window_holding(const TerminalState& state, int gadget) {
    for (const WindowSnapshot* window : state.visible_windows()) {
        for (const auto& control : window->controls) {
            if (control.number == gadget && is_pressable(control.kind))
                return {window->number, &control};
        }
    }
    return {};
}

// A box is ticked or cleared and a button pressed by a click; a choice turns to its next item,
// from the last back to the first.
KeyOutcome press_control(TerminalState& state, int number) {
    const auto [window, control] = window_holding(state, number);
    if (!control->enabled) return refuse(state, "\"" + control->text + "\" is not available now");
    if (control->kind != ControlKind::choice) return produce(ControlClick{window, number});
    const int count = static_cast<int>(control->items.size());
    if (count == 0) return refuse(state, "the choice has nothing to choose");
    return produce(ControlChoice{window, number, (control->state + 1) % count});
}

KeyOutcome close_focused_window(TerminalState& state, const WindowSnapshot& window) {
    if (!window.closable) return refuse(state, "\"" + window.title + "\" cannot be closed");
    return produce(CloseRequest{window.number});
}

KeyOutcome window_key(TerminalState& state, const WindowSnapshot& focused, const Key& key) {
    if (auto edited = edit_number(state, key)) return *edited;
    auto numbers = pressable_numbers(state);
    auto by_number =
        enter_number(state, key, numbers, [&](int number) { return press_control(state, number); });
    if (by_number) return *by_number;
    if (key.kind == KeyKind::escape || letter_is(key, 'c'))
        return close_focused_window(state, focused);
    if (letter_is(key, 'm')) return open_menu(state);
    if (auto shortcut = menu_shortcut(state, key)) return *shortcut;
    if (key.kind == KeyKind::enter) return KeyOutcome{};
    return refuse(state, "type a box's number to tick it; c closes the window");
}

// ---- alerts ----

std::optional<int> cancel_button(const AlertSnapshot& alert) {
    for (size_t i = 0; i < alert.buttons.size(); ++i) {
        if (alert.buttons[i] == "Cancel") return static_cast<int>(i + 1);
    }
    return std::nullopt;
}

KeyOutcome answer(int button) {
    return produce(AlertAnswer{button});
}

KeyOutcome alert_key(TerminalState& state, const AlertSnapshot& alert, const Key& key) {
    if (auto edited = edit_number(state, key)) return *edited;
    // An alert without buttons shows the one button "OK" that it gets.
    std::vector<int> numbers{1};
    for (size_t i = 1; i < alert.buttons.size(); ++i)
        numbers.push_back(static_cast<int>(i + 1));
    if (auto by_number = enter_number(state, key, numbers, answer)) return *by_number;
    if (key.kind == KeyKind::enter) return answer(1);
    if (key.kind == KeyKind::escape) {
        if (auto cancel = cancel_button(alert)) return answer(*cancel);
    }
    return refuse(state, "Return or a button's number answers the alert");
}

// ---- status item alone ----

struct SystemKey {
    char letter;
    Input input;
};
const SystemKey k_system_keys[] = {
    {'s', SystemSleep{}},
    {'w', SystemWake{}},
    {'t', TerminateRequest{}},
};

KeyOutcome status_key(TerminalState& state, const Key& key) {
    if (key.kind == KeyKind::enter || letter_is(key, 'm')) return open_menu(state);
    if (auto shortcut = menu_shortcut(state, key)) return *shortcut;
    for (const auto& system : k_system_keys) {
        if (letter_is(key, system.letter)) return produce(system.input);
    }
    return refuse(state, "m opens the menu");
}

bool only_number_begins(std::string_view typed, std::span<const int> numbers, int exact) {
    for (int number : numbers) {
        std::string text = std::to_string(number);
        if (number != exact && text.starts_with(typed)) return false;
    }
    return true;
}

} // namespace

NumberMatch match_number(std::string_view typed, std::span<const int> numbers, bool complete,
                         int& chosen) {
    bool any_begins = false;
    std::optional<int> exact;
    for (int number : numbers) {
        std::string text = std::to_string(number);
        if (text == typed) exact = number;
        if (text.starts_with(typed)) any_begins = true;
    }
    if (exact && (complete || only_number_begins(typed, numbers, *exact))) {
        chosen = *exact;
        return NumberMatch::chosen;
    }
    if (complete || !any_begins) return NumberMatch::none;
    return NumberMatch::incomplete;
}

KeyOutcome handle_key(TerminalState& state, const Key& key) {
    state.note.clear();
    if (state.alert) return alert_key(state, *state.alert, key);
    if (state.showing_menu()) return menu_key(state, key);
    if (const WindowSnapshot* window = state.focused_window())
        return window_key(state, *window, key);
    return status_key(state, key);
}
