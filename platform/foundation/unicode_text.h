#pragma once
// UTF-8 and UTF-16 conversions and per-unit case mapping for the Foundation value classes and
// the Core Foundation string functions.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr char32_t k_replacement_character = 0xFFFD;

// One character read from UTF-8 or UTF-16: its code point and how many bytes or units it took.
// An invalid sequence gives valid = false and the length of its longest valid start (at least 1).
struct DecodedCharacter {
    char32_t code_point;
    std::size_t length;
    bool valid;
};

DecodedCharacter decode_utf8_character(std::string_view text, std::size_t position);
// An unpaired surrogate is invalid, with length 1.
DecodedCharacter decode_utf16_character(std::u16string_view text, std::size_t position);

// Nullopt for malformed UTF-8 (overlong forms, surrogates, values above U+10FFFF, cut-off
// sequences).
std::optional<std::u16string> utf8_to_utf16_strict(std::string_view text);
// Each maximal invalid sequence becomes U+FFFD.
std::u16string utf8_to_utf16_lenient(std::string_view text);
// Unpaired surrogates become U+FFFD.
std::string utf16_to_utf8(std::u16string_view text);

// Writes the UTF-8 form of a code point (at most 4 bytes) and returns its length.
std::size_t encode_utf8(char32_t code_point, char* out);
// Appends the UTF-16 form of a code point.
void append_utf16(std::u16string& text, char32_t code_point);

// Simple case mappings of single UTF-16 units, independent of the process's locale.
char16_t uppercase_unit(char16_t unit);
char16_t lowercase_unit(char16_t unit);
