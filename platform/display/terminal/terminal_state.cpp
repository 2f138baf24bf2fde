#include "platform/display/terminal/terminal_state.h"

#include <algorithm>

void TerminalState::set_window(const WindowSnapshot& window) {
    auto found = m_windows.find(window.number);
    bool was_visible = found != m_windows.end() && found->second.visible;
    m_windows[window.number] = window;
    if (!window.visible || was_visible) return;
    std::erase(m_shown_order, window.number);
    m_shown_order.push_back(window.number);
}

void TerminalState::close_window(int number) {
    if (m_windows.erase(number) > 0) typed.clear(); // the digits were meant for what went away
    std::erase(m_shown_order, number);
}

std::vector<const WindowSnapshot*> TerminalState::visible_windows() const {
    std::vector<const WindowSnapshot*> windows;
    for (int number : m_shown_order) {
        auto found = m_windows.find(number);
        if (found != m_windows.end() && found->second.visible) windows.push_back(&found->second);
    }
    return windows;
}

const WindowSnapshot* TerminalState::focused_window() const {
    auto windows = visible_windows();
    if (windows.empty()) return nullptr;
    auto key = std::find_if(windows.begin(), windows.end(), [](auto* w) { return w->key; });
    return key != windows.end() ? *key : windows.back();
}
