#pragma once
// An input as the short text tests compare it by, in the driver's words: "menu 4",
// "key 0 cmd+shift+z", "click 5 3" (window, control), "choose 5 4 2" (window, control, item),
// "close 0", "battery set CurrentCapacity 12",
// "answer 2", "sleep", "timeout", "end".

#include "platform/display/display_input.h"

#include <string>
#include <variant>

inline std::string key_text(const KeyPress& key) {
    std::string text;
    for (const KeyModifierRow& row : key_modifiers) {
        if (key.modifiers & static_cast<uint8_t>(row.modifier)) text += std::string(row.name) + "+";
    }
    return text + key.key;
}

inline std::string property_text(const PropertyChange& change) {
    const char* actions[] = {"set", "unset", "remove"};
    std::string text = change.target == PropertyTarget::battery ? "battery " : "power ";
    text += actions[static_cast<int>(change.action)];
    if (!change.key.empty()) text += " " + change.key;
    if (change.action != PropertyAction::set) return text;
    switch (change.value.kind) {
    case PropertyValue::Kind::integer:
        return text + " " + std::to_string(change.value.integer);
    case PropertyValue::Kind::boolean:
        return text + (change.value.boolean ? " true" : " false");
    case PropertyValue::Kind::string:
        return text + " \"" + change.value.string + "\"";
    }
    return text;
}

inline std::string input_text(const Input& input) {
    struct Text {
        std::string operator()(const Timeout&) const { return "timeout"; }
        std::string operator()(const EndOfInput&) const { return "end"; }
        std::string operator()(const MenuChoice& c) const {
            return "menu " + std::to_string(c.item);
        }
        std::string operator()(const KeyInput& k) const {
            return "key " + std::to_string(k.window) + " " + key_text(k.key);
        }
        std::string operator()(const ControlClick& c) const {
            return "click " + std::to_string(c.window) + " " + std::to_string(c.control);
        }
        std::string operator()(const ControlChoice& c) const {
            return "choose " + std::to_string(c.window) + " " + std::to_string(c.control) + " " +
                   std::to_string(c.item);
        }
        std::string operator()(const CloseRequest& c) const {
            return "close " + std::to_string(c.window);
        }
        std::string operator()(const SystemSleep&) const { return "sleep"; }
        std::string operator()(const SystemWake&) const { return "wake"; }
        std::string operator()(const TerminateRequest&) const { return "terminate"; }
        std::string operator()(const ScreensChanged&) const { return "screens"; }
        std::string operator()(const BatteryEdit& e) const { return property_text(e.change); }
        std::string operator()(const AlertAnswer& a) const {
            return "answer " + std::to_string(a.button);
        }
    };
    return std::visit(Text{}, input);
}
