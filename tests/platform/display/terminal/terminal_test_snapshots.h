#pragma once
// Snapshots shaped like the indicator's status item, menu and Preferences window, shared by the
// terminal display's tests.

#include "platform/display/display_snapshots.h"
#include "platform/display/keyboard.h"

#include <string>
#include <vector>

namespace terminal_test {

inline MenuItemSnapshot item(int number, std::string title, std::string key = {},
                             bool enabled = true) {
    MenuItemSnapshot snapshot;
    snapshot.number = number;
    snapshot.title = std::move(title);
    snapshot.key = std::move(key);
    snapshot.modifiers = snapshot.key.empty() ? 0 : static_cast<uint8_t>(KeyModifier::command);
    snapshot.enabled = enabled;
    return snapshot;
}

inline MenuItemSnapshot separator() {
    MenuItemSnapshot snapshot;
    snapshot.separator = true;
    return snapshot;
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

inline ControlSnapshot control(int number, ControlKind kind, std::string text, int state = 0) {
    return ControlSnapshot{number, kind, std::move(text), state, {}};
}

inline WindowSnapshot preferences(int condition_state = 0) {
    WindowSnapshot window;
    window.number = 1;
    window.title = "Preferences";
    window.visible = true;
    window.key = true;
    window.controls = {control(-1, ControlKind::text, "Select the information"),
                       control(-1, ControlKind::frame, ""),
                       control(3, ControlKind::checkbox, "Show Battery Condition", condition_state),
                       control(2, ControlKind::checkbox, "Show Battery Charge %", 1),
                       control(11, ControlKind::checkbox, "Start at Login")};
    return window;
}

} // namespace terminal_test
