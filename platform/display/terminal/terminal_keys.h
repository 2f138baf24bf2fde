#pragma once
// Turns the bytes a terminal sends for key presses into keys. A read from a terminal holds
// whole escape sequences, so an Escape byte that ends the bytes given is the Escape key itself.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class KeyKind : uint8_t {
    character, // `text`: one UTF-8 character
    enter,
    escape,
    backspace,
    up,
    down,
    left,
    right,
    end_of_input, // Control-D, as a line-mode terminal would take it
    other,        // a control byte or escape sequence with no meaning here
};

struct Key {
    KeyKind kind = KeyKind::other;
    std::string text;
    bool operator==(const Key&) const = default;
};

std::vector<Key> decode_keys(std::string_view bytes);

// True for a character key that is an ASCII digit.
bool is_digit_key(const Key& key);
