#include "tests/e2e/driver_views.h"

namespace e2e {

std::string menu_summary(const JsonValue& menu) {
    std::string text;
    const JsonValue* items = menu.field("items");
    if (!items) return "(no items)";
    for (const auto& item : items->items) {
        if (!text.empty()) text += " | ";
        if (item.boolean("separator").value_or(false)) {
            text += "-";
            continue;
        }
        text += std::to_string(item.integer("number").value_or(-1)) + " " +
                item.string("title").value_or("?");
        if (!item.boolean("enabled").value_or(false)) text += " (disabled)";
        const JsonValue* modifiers = item.field("modifiers");
        for (const auto& modifier : modifiers ? modifiers->items : std::vector<JsonValue>{})
            text += " " + modifier.text + "+";
        if (const std::string key = item.string("key").value_or(""); !key.empty()) text += key;
    }
    return text;
}

std::map<int, int> checkbox_states(const JsonValue& window) {
    std::map<int, int> states;
    const JsonValue* controls = window.field("controls");
    if (!controls) return states;
    for (const auto& control : controls->items) {
        if (control.string("kind") != "checkbox") continue;
        states[static_cast<int>(control.integer("number").value_or(-1))] =
            static_cast<int>(control.integer("state").value_or(-1));
    }
    return states;
}

std::vector<int64_t> times_of(const std::vector<JsonValue>& events) {
    std::vector<int64_t> times;
    for (const auto& event : events)
        times.push_back(event.integer("t").value_or(-1));
    return times;
}

} // namespace e2e
