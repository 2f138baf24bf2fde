#include "runtime/ui/shortcut_codes.h"

#include <array>
#include <optional>

namespace rt {

namespace {

struct ShiftedCharacter {
    char16_t plain;
    char16_t shifted;
};

constexpr std::array<ShiftedCharacter, 5> k_shifted_characters = {{
    {u'\t', 25}, // back tab
    {u'+', u'*'},
    {u',', u';'},
    {u'-', u'_'},
    {u'.', u':'},
}};

// One named key: compared either as a character or as a hardware key code.
struct NamedKey {
    uint32_t key;
    char16_t character;
    uint32_t key_code;
};

constexpr std::array<NamedKey, 45> k_named_keys = {{
    {1, 0xF729, 0},  // Home
    {4, 0xF72B, 0},  // End
    {5, 0xF727, 0},  // Insert
    {8, 127, 0},     // Backspace
    {11, 0xF72C, 0}, // Page Up
    {12, 0xF72D, 0}, // Page Down
    {13, 13, 0},     // Return
    {27, 27, 0},     // Escape
    {28, 0xF702, 0}, // Left
    {29, 0xF703, 0}, // Right
    {30, 0xF700, 0}, // Up
    {31, 0xF701, 0}, // Down
    {48, 0, 29},     // main-row digits "0" to "9"
    {49, 0, 18},
    {50, 0, 19},
    {51, 0, 20},
    {52, 0, 21},
    {53, 0, 23},
    {54, 0, 22},
    {55, 0, 26},
    {56, 0, 28},
    {57, 0, 25},
    {127, 0xF728, 0}, // forward Delete
    {130, u'0', 0},   // the characters "0" to "9", from whichever key types them
    {131, u'1', 0},
    {132, u'2', 0},
    {133, u'3', 0},
    {134, u'4', 0},
    {135, u'5', 0},
    {136, u'6', 0},
    {137, u'7', 0},
    {138, u'8', 0},
    {139, u'9', 0},
    {ShortcutKeyF5, 0, 96},
    {ShortcutKeyF6, 0, 97},
    {ShortcutKeyF7, 0, 98},
    {ShortcutKeyF3, 0, 99},
    {ShortcutKeyF8, 0, 100},
    {ShortcutKeyF9, 0, 101},
    {ShortcutKeyF11, 0, 103},
    {ShortcutKeyF10, 0, 109},
    {ShortcutKeyF12, 0, 111},
    {ShortcutKeyF4, 0, 118},
    {ShortcutKeyF2, 0, 120},
    {ShortcutKeyF1, 0, 122},
}};

struct EventModifier {
    uint64_t flag;
    uint32_t shortcut_bit;
};

constexpr std::array<EventModifier, 4> k_event_modifiers = {{
    {0x40000, ShortcutControl},
    {0x20000, ShortcutShift},
    {0x100000, ShortcutCommand},
    {0x80000, ShortcutOption},
}};

constexpr char16_t k_keypad_enter = 3;
constexpr char16_t k_return = 13;

std::optional<NamedKey> named_key(uint32_t key) {
    for (const NamedKey& entry : k_named_keys)
        if (entry.key == key) return entry;
    return std::nullopt;
}

} // namespace

char16_t shifted_shortcut_character(char16_t character) {
    if (character >= u'a' && character <= u'z') return static_cast<char16_t>(character - 0x20);
    for (const ShiftedCharacter& entry : k_shifted_characters)
        if (entry.plain == character) return entry.shifted;
    return character;
}

ShortcutPattern shortcut_pattern(uint32_t code) {
    ShortcutPattern pattern;
    pattern.modifiers = code & ShortcutModifiers;
    pattern.character = static_cast<char16_t>(code & 0xFFFF);
    if (code & ShortcutShift) pattern.character = shifted_shortcut_character(pattern.character);
    if (std::optional<NamedKey> key = named_key(code & ~ShortcutModifiers)) {
        pattern.character = key->character;
        pattern.key_code = key->key_code;
    }
    return pattern;
}

uint32_t shortcut_modifiers_of_event_flags(uint64_t flags) {
    uint32_t bits = 0;
    for (const EventModifier& entry : k_event_modifiers)
        if (flags & entry.flag) bits |= entry.shortcut_bit;
    return bits;
}

bool shortcut_pattern_matches(const ShortcutPattern& pattern, uint64_t event_flags,
                              uint16_t event_key_code, std::u16string_view characters) {
    if (shortcut_modifiers_of_event_flags(event_flags) != pattern.modifiers) return false;
    if (pattern.key_code != 0) return event_key_code == pattern.key_code;
    if (characters.size() != 1) return false;
    const char16_t typed = characters[0] == k_keypad_enter ? k_return : characters[0];
    return typed == pattern.character;
}

} // namespace rt
