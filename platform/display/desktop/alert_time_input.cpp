#include "platform/display/desktop/alert_time_input.h"

#include <algorithm>

namespace {

bool chooses_quit(const MenuChoice& choice, std::span<const MenuItemSnapshot> menu) {
    return std::any_of(menu.begin(), menu.end(), [&](const MenuItemSnapshot& item) {
        return !item.separator && item.number == choice.item && is_quit_item(item);
    });
}

} // namespace

bool is_quit_item(const MenuItemSnapshot& item) {
    return item.key == "q" && item.modifiers == static_cast<uint8_t>(KeyModifier::command);
}

AlertTimeInput input_during_alert(const Input& input, std::span<const MenuItemSnapshot> menu) {
    if (std::holds_alternative<TerminateRequest>(input)) return AlertTimeInput::keep;
    const auto* choice = std::get_if<MenuChoice>(&input);
    if (!choice) return AlertTimeInput::drop;
    return chooses_quit(*choice, menu) ? AlertTimeInput::keep : AlertTimeInput::refuse;
}
