#pragma once
// The syntax of a menu item's text: "Name\tShortcut". Every "&" is dropped; the text before the
// first tab is the title and the text after it (up to a second tab) names the key equivalent as
// "+"-separated tokens in any case: the modifiers CMD, SHIFT, ALT and CTRL, the function keys F1
// to F12, and anything else as the key itself, lower-cased. The last key token wins.

#include <cstdint>
#include <string>
#include <string_view>

namespace rt {

// The window system's key-equivalent modifier masks.
inline constexpr uint64_t MenuModifierShift = 0x20000;
inline constexpr uint64_t MenuModifierControl = 0x40000;
inline constexpr uint64_t MenuModifierOption = 0x80000;
inline constexpr uint64_t MenuModifierCommand = 0x100000;

// The first function key's character; F2 to F12 follow it.
inline constexpr char16_t MenuKeyF1 = 0xF704;

struct MenuTitle {
    std::u16string title;
    std::u16string key_equivalent; // empty when the text names none
    uint64_t modifier_mask = 0;    // 0 when the text names no modifier
    bool operator==(const MenuTitle&) const = default;
};

MenuTitle parse_menu_title(std::u16string_view text);

} // namespace rt
