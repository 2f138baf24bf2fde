#pragma once
// Window keyboard shortcuts by code. A shortcut code holds the key in its low 16 bits and the
// modifiers in bits 16 to 19. Keys are printable characters (letters in lower case), the named
// keys below, the main-row digits 48 to 57 (matched by hardware key code, whatever the layout
// types), 130 to 139 for the typed characters "0" to "9", and F1 to F12 as 256 plus their
// hardware key code. This file turns a code into what a key-down event is compared with, and
// compares.

#include <cstdint>
#include <string_view>

namespace rt {

inline constexpr uint32_t ShortcutShift = 0x10000;
inline constexpr uint32_t ShortcutControl = 0x20000;
inline constexpr uint32_t ShortcutOption = 0x40000;
inline constexpr uint32_t ShortcutCommand = 0x80000;
inline constexpr uint32_t ShortcutModifiers = 0xF0000;

// Function keys as shortcut keys.
inline constexpr uint32_t ShortcutKeyF1 = 378, ShortcutKeyF2 = 376, ShortcutKeyF3 = 355,
                          ShortcutKeyF4 = 374, ShortcutKeyF5 = 352, ShortcutKeyF6 = 353,
                          ShortcutKeyF7 = 354, ShortcutKeyF8 = 356, ShortcutKeyF9 = 357,
                          ShortcutKeyF10 = 365, ShortcutKeyF11 = 359, ShortcutKeyF12 = 367;

// What a key-down must carry to match a shortcut: the modifiers (shortcut bits) exactly, and
// either the hardware key code (when key_code is non-zero) or the one character typed ignoring
// modifiers.
struct ShortcutPattern {
    uint32_t modifiers = 0;
    char16_t character = 0; // 0 when the key code is compared
    uint32_t key_code = 0;  // 0 when the character is compared
    bool operator==(const ShortcutPattern&) const = default;
};

// The character a shortcut with Shift compares: the US layout's shifted form of a few keys, upper
// case for letters; other characters stay.
char16_t shifted_shortcut_character(char16_t character);

// A code outside the named keys compares its (shifted) low 16 bits as a character.
ShortcutPattern shortcut_pattern(uint32_t code);

// The window system's modifier flags as shortcut bits; flags other than Shift, Control, Option
// and Command are dropped.
uint32_t shortcut_modifiers_of_event_flags(uint64_t flags);

// Keypad Enter (character 3) counts as Return.
bool shortcut_pattern_matches(const ShortcutPattern& pattern, uint64_t event_flags,
                              uint16_t event_key_code, std::u16string_view characters);

} // namespace rt
