#pragma once
// What the terminal display knows: the model's last snapshots, whether the person has the status
// menu open, the digits typed so far and a one-line note for the person. Keys change it
// (terminal_input.h) and the view draws it (terminal_view.h).

#include "platform/display/display_snapshots.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

// Whether a person acts on controls of this kind by typing their number: check boxes, buttons and
// choices.
inline bool is_pressable(ControlKind kind) {
    return kind == ControlKind::checkbox || kind == ControlKind::button ||
           kind == ControlKind::choice;
}

struct TerminalState {
    std::optional<StatusSnapshot> status;
    std::optional<std::vector<MenuItemSnapshot>> menu;
    std::optional<AlertSnapshot> alert;
    bool menu_open = false;
    std::string typed; // digits of a number being entered
    std::string note;  // shown under the hint until the next key

    void set_window(const WindowSnapshot& window);
    void close_window(int number);

    // Visible windows, in the order they were shown.
    std::vector<const WindowSnapshot*> visible_windows() const;
    // The window that keys go to: the key window when one is visible, otherwise the visible
    // window shown last; null when none is visible.
    const WindowSnapshot* focused_window() const;
    // The menu is open and there is a menu to show.
    bool showing_menu() const { return menu_open && menu.has_value(); }

  private:
    std::map<int, WindowSnapshot> m_windows;
    std::vector<int> m_shown_order; // window numbers, oldest first
};
