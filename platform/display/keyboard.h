#pragma once
// The keyboard's vocabulary, written once: the modifiers and the keys a key press may name, each
// with the name a script writes and the way every other part spells it (the model's events, a
// desktop's menus and key events). The driver's parser and output, NSEvent and the desktop
// display all read these tables, and one test runs every row through each of them: a key is
// added by adding its row.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

enum class KeyModifier : uint8_t { command = 1, shift = 2, alternate = 4, control = 8 };

struct KeyModifierRow {
    KeyModifier modifier;
    std::string_view name;         // as a script and the driver's output write it
    uint64_t event_flag;           // NSEvent's modifier flag
    std::string_view desktop_name; // in a desktop's menu shortcuts and accelerators
    std::string_view symbol;       // in a menu's key equivalent, where they go in reverse order
};

// In the order a shortcut is written. On a Linux desktop the command key is the Control key, as in
// every application's menus there, and the model's own Control takes the Super key.
inline constexpr std::array<KeyModifierRow, 4> key_modifiers = {{
    {KeyModifier::command, "cmd", uint64_t{1} << 20, "Control", "⌘"},
    {KeyModifier::shift, "shift", uint64_t{1} << 17, "Shift", "⇧"},
    {KeyModifier::alternate, "alt", uint64_t{1} << 19, "Alt", "⌥"},
    {KeyModifier::control, "ctrl", uint64_t{1} << 18, "Super", "⌃"},
}};

constexpr const KeyModifierRow& key_modifier_row(KeyModifier modifier) {
    for (const KeyModifierRow& row : key_modifiers) {
        if (row.modifier == modifier) return row;
    }
    return key_modifiers[0]; // not reached: every modifier has a row
}

struct KeyRow {
    std::string_view key;          // a character, or the name of a key that is none
    unsigned short code;           // the US layout's virtual key code
    char16_t character;            // NSEvent's character for a named key; 0 for a character key
    std::string_view desktop_name; // the X keysym's name of a named key; empty for a character
};

// The US layout's character keys, then the keys that are not one character.
inline constexpr std::array<KeyRow, 83> keyboard_keys = {{
    {"a", 0, 0, {}},
    {"s", 1, 0, {}},
    {"d", 2, 0, {}},
    {"f", 3, 0, {}},
    {"h", 4, 0, {}},
    {"g", 5, 0, {}},
    {"z", 6, 0, {}},
    {"x", 7, 0, {}},
    {"c", 8, 0, {}},
    {"v", 9, 0, {}},
    {"b", 11, 0, {}},
    {"q", 12, 0, {}},
    {"w", 13, 0, {}},
    {"e", 14, 0, {}},
    {"r", 15, 0, {}},
    {"y", 16, 0, {}},
    {"t", 17, 0, {}},
    {"1", 18, 0, {}},
    {"2", 19, 0, {}},
    {"3", 20, 0, {}},
    {"4", 21, 0, {}},
    {"6", 22, 0, {}},
    {"5", 23, 0, {}},
    {"=", 24, 0, {}},
    {"9", 25, 0, {}},
    {"7", 26, 0, {}},
    {"-", 27, 0, {}},
    {"8", 28, 0, {}},
    {"0", 29, 0, {}},
    {"]", 30, 0, {}},
    {"o", 31, 0, {}},
    {"u", 32, 0, {}},
    {"[", 33, 0, {}},
    {"i", 34, 0, {}},
    {"p", 35, 0, {}},
    {"l", 37, 0, {}},
    {"j", 38, 0, {}},
    {"'", 39, 0, {}},
    {"k", 40, 0, {}},
    {";", 41, 0, {}},
    {"\\", 42, 0, {}},
    {",", 43, 0, {}},
    {"/", 44, 0, {}},
    {"n", 45, 0, {}},
    {"m", 46, 0, {}},
    {".", 47, 0, {}},
    {"`", 50, 0, {}},
    {"return", 36, u'\r', "Return"},
    {"enter", 76, 0x03, "KP_Enter"},
    {"tab", 48, u'\t', "Tab"},
    {"space", 49, u' ', "space"},
    {"delete", 51, 0x7F, "BackSpace"},
    {"escape", 53, 0x1B, "Escape"},
    {"forwarddelete", 117, 0xF728, "Delete"},
    {"home", 115, 0xF729, "Home"},
    {"end", 119, 0xF72B, "End"},
    {"pageup", 116, 0xF72C, "Page_Up"},
    {"pagedown", 121, 0xF72D, "Page_Down"},
    {"up", 126, 0xF700, "Up"},
    {"down", 125, 0xF701, "Down"},
    {"left", 123, 0xF702, "Left"},
    {"right", 124, 0xF703, "Right"},
    {"help", 114, 0xF746, "Help"},
    {"f1", 122, 0xF704, "F1"},
    {"f2", 120, 0xF705, "F2"},
    {"f3", 99, 0xF706, "F3"},
    {"f4", 118, 0xF707, "F4"},
    {"f5", 96, 0xF708, "F5"},
    {"f6", 97, 0xF709, "F6"},
    {"f7", 98, 0xF70A, "F7"},
    {"f8", 100, 0xF70B, "F8"},
    {"f9", 101, 0xF70C, "F9"},
    {"f10", 109, 0xF70D, "F10"},
    {"f11", 103, 0xF70E, "F11"},
    {"f12", 111, 0xF70F, "F12"},
    {"f13", 105, 0xF710, "F13"},
    {"f14", 107, 0xF711, "F14"},
    {"f15", 113, 0xF712, "F15"},
    {"f16", 106, 0xF713, "F16"},
    {"f17", 64, 0xF714, "F17"},
    {"f18", 79, 0xF715, "F18"},
    {"f19", 80, 0xF716, "F19"},
    {"f20", 90, 0xF717, "F20"},
}};

// A key whose name is longer than one character.
constexpr bool is_named_key(const KeyRow& row) {
    return row.key.size() > 1;
}

// The row of `key`, exactly as the table writes it (letters and names in lower case); null when
// the table has none.
constexpr const KeyRow* key_row(std::string_view key) {
    for (const KeyRow& row : keyboard_keys) {
        if (row.key == key) return &row;
    }
    return nullptr;
}

// A key press as a person typed it: modifier bits and one key, either one character
// ("i", "Z", ",") or the name of a named key ("f5", "escape").
struct KeyPress {
    uint8_t modifiers = 0; // KeyModifier bits
    std::string key;
    bool operator==(const KeyPress&) const = default;
};
