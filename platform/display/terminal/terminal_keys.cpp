#include "platform/display/terminal/terminal_keys.h"

#include <array>

namespace {

constexpr char k_escape = '\x1b';

struct ArrowName {
    char final_byte;
    KeyKind kind;
};
constexpr std::array<ArrowName, 4> k_arrows = {
    ArrowName{'A', KeyKind::up},
    ArrowName{'B', KeyKind::down},
    ArrowName{'C', KeyKind::right},
    ArrowName{'D', KeyKind::left},
};

KeyKind arrow_kind(char final_byte) {
    for (const auto& arrow : k_arrows) {
        if (arrow.final_byte == final_byte) return arrow.kind;
    }
    return KeyKind::other;
}

bool is_final_byte(char c) {
    return c >= 0x40 && c <= 0x7e;
}

// Length of the escape sequence that starts at bytes[0] (an Escape byte): "ESC [ params final" or
// "ESC O final"; an unfinished sequence takes the rest of the bytes. Escape before any other byte
// is the Escape key and that byte a key of its own: an Alt chord means nothing here, while a
// script or a quick typist may well send Escape and a digit together.
size_t escape_length(std::string_view bytes) {
    if (bytes.size() < 2) return 1;
    if (bytes[1] == 'O') return bytes.size() < 3 ? bytes.size() : 3;
    if (bytes[1] != '[') return 1;
    for (size_t i = 2; i < bytes.size(); ++i) {
        if (is_final_byte(bytes[i])) return i + 1;
    }
    return bytes.size();
}

Key escape_key(std::string_view sequence) {
    if (sequence.size() == 1) return Key{KeyKind::escape, {}};
    bool arrow_form = sequence.size() == 3 && (sequence[1] == '[' || sequence[1] == 'O');
    if (!arrow_form) return Key{KeyKind::other, std::string(sequence)};
    return Key{arrow_kind(sequence[2]), std::string(sequence)};
}

size_t utf8_length(unsigned char lead) {
    if (lead >= 0xf0) return 4;
    if (lead >= 0xe0) return 3;
    if (lead >= 0xc0) return 2;
    return 1;
}

Key control_key(char c) {
    switch (c) {
    case '\r':
    case '\n':
        return Key{KeyKind::enter, {}};
    case '\x7f':
    case '\b':
        return Key{KeyKind::backspace, {}};
    case '\x04':
        return Key{KeyKind::end_of_input, {}};
    default:
        return Key{KeyKind::other, std::string(1, c)};
    }
}

bool is_control(unsigned char c) {
    return c < 0x20 || c == 0x7f;
}

} // namespace

std::vector<Key> decode_keys(std::string_view bytes) {
    std::vector<Key> keys;
    size_t i = 0;
    while (i < bytes.size()) {
        auto c = static_cast<unsigned char>(bytes[i]);
        size_t length = 1;
        if (c == k_escape) {
            length = escape_length(bytes.substr(i));
            keys.push_back(escape_key(bytes.substr(i, length)));
        } else if (is_control(c)) {
            // A carriage return and line feed together are one press of Return.
            if (bytes.substr(i, 2) == "\r\n") length = 2;
            keys.push_back(control_key(bytes[i]));
        } else {
            length = std::min(utf8_length(c), bytes.size() - i);
            keys.push_back(Key{KeyKind::character, std::string(bytes.substr(i, length))});
        }
        i += length;
    }
    return keys;
}

bool is_digit_key(const Key& key) {
    return key.kind == KeyKind::character && key.text.size() == 1 && key.text[0] >= '0' &&
           key.text[0] <= '9';
}
