#include "platform/foundation/unicode_text.h"

#include <locale.h>
#include <wctype.h>

namespace {

bool is_continuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The allowed range of the second byte after each lead byte, which rules out overlong forms,
// encoded surrogates and values above U+10FFFF.
struct LeadRule {
    std::size_t length;
    unsigned char second_low;
    unsigned char second_high;
};

std::optional<LeadRule> lead_rule(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return LeadRule{2, 0x80, 0xBF};
    if (lead == 0xE0) return LeadRule{3, 0xA0, 0xBF};
    if (lead == 0xED) return LeadRule{3, 0x80, 0x9F};
    if (lead >= 0xE1 && lead <= 0xEF) return LeadRule{3, 0x80, 0xBF};
    if (lead == 0xF0) return LeadRule{4, 0x90, 0xBF};
    if (lead >= 0xF1 && lead <= 0xF3) return LeadRule{4, 0x80, 0xBF};
    if (lead == 0xF4) return LeadRule{4, 0x80, 0x8F};
    return std::nullopt;
}

char32_t lead_bits(unsigned char lead, std::size_t length) {
    static constexpr unsigned char k_masks[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    return lead & k_masks[length];
}

bool is_high_surrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool is_low_surrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Case mapping of Latin-1 for systems without a locale-independent wide-character table.
char16_t latin1_uppercase(char16_t unit) {
    if (unit >= u'a' && unit <= u'z') return unit - 0x20;
    if (unit >= 0xE0 && unit <= 0xFE && unit != 0xF7) return unit - 0x20;
    if (unit == 0xFF) return 0x178;
    if (unit == 0xB5) return 0x39C;
    return unit;
}

char16_t latin1_lowercase(char16_t unit) {
    if (unit >= u'A' && unit <= u'Z') return unit + 0x20;
    if (unit >= 0xC0 && unit <= 0xDE && unit != 0xD7) return unit + 0x20;
    if (unit == 0x178) return 0xFF;
    return unit;
}

// The process's own locale may be "C", whose wide-character mappings stop at ASCII; the
// UTF-8 variant of "C" maps the whole Basic Multilingual Plane and is the same everywhere.
locale_t case_locale() {
    static locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return locale;
}

bool is_surrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}

} // namespace

DecodedCharacter decode_utf8_character(std::string_view text, std::size_t position) {
    auto lead = static_cast<unsigned char>(text[position]);
    if (lead < 0x80) return {lead, 1, true};
    std::optional<LeadRule> rule = lead_rule(lead);
    if (!rule) return {k_replacement_character, 1, false};
    char32_t value = lead_bits(lead, rule->length);
    for (std::size_t i = 1; i < rule->length; ++i) {
        if (position + i >= text.size()) return {k_replacement_character, i, false};
        auto byte = static_cast<unsigned char>(text[position + i]);
        bool in_range =
            i == 1 ? byte >= rule->second_low && byte <= rule->second_high : is_continuation(byte);
        if (!in_range) return {k_replacement_character, i, false};
        value = (value << 6) | (byte & 0x3F);
    }
    return {value, rule->length, true};
}

DecodedCharacter decode_utf16_character(std::u16string_view text, std::size_t position) {
    char16_t unit = text[position];
    if (!is_surrogate(unit)) return {unit, 1, true};
    bool paired = is_high_surrogate(unit) && position + 1 < text.size() &&
                  is_low_surrogate(text[position + 1]);
    if (!paired) return {k_replacement_character, 1, false};
    char32_t value = 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (text[position + 1] - 0xDC00);
    return {value, 2, true};
}

std::optional<std::u16string> utf8_to_utf16_strict(std::string_view text) {
    std::u16string result;
    result.reserve(text.size());
    for (std::size_t position = 0; position < text.size();) {
        DecodedCharacter character = decode_utf8_character(text, position);
        if (!character.valid) return std::nullopt;
        append_utf16(result, character.code_point);
        position += character.length;
    }
    return result;
}

std::u16string utf8_to_utf16_lenient(std::string_view text) {
    std::u16string result;
    result.reserve(text.size());
    for (std::size_t position = 0; position < text.size();) {
        DecodedCharacter character = decode_utf8_character(text, position);
        append_utf16(result, character.code_point);
        position += character.length;
    }
    return result;
}

std::string utf16_to_utf8(std::u16string_view text) {
    std::string result;
    result.reserve(text.size());
    char bytes[4];
    for (std::size_t position = 0; position < text.size();) {
        DecodedCharacter character = decode_utf16_character(text, position);
        result.append(bytes, encode_utf8(character.code_point, bytes));
        position += character.length;
    }
    return result;
}

std::size_t encode_utf8(char32_t code_point, char* out) {
    if (code_point < 0x80) {
        out[0] = static_cast<char>(code_point);
        return 1;
    }
    if (code_point < 0x800) {
        out[0] = static_cast<char>(0xC0 | (code_point >> 6));
        out[1] = static_cast<char>(0x80 | (code_point & 0x3F));
        return 2;
    }
    if (code_point < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (code_point >> 12));
        out[1] = static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (code_point & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (code_point >> 18));
    out[1] = static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (code_point & 0x3F));
    return 4;
}

void append_utf16(std::u16string& text, char32_t code_point) {
    if (code_point < 0x10000) {
        text.push_back(static_cast<char16_t>(code_point));
        return;
    }
    code_point -= 0x10000;
    text.push_back(static_cast<char16_t>(0xD800 + (code_point >> 10)));
    text.push_back(static_cast<char16_t>(0xDC00 + (code_point & 0x3FF)));
}

char16_t uppercase_unit(char16_t unit) {
    if (unit < 0x80) return latin1_uppercase(unit);
    if (is_surrogate(unit) || !case_locale()) return latin1_uppercase(unit);
    wint_t mapped = towupper_l(unit, case_locale());
    return mapped <= 0xFFFF ? static_cast<char16_t>(mapped) : unit;
}

char16_t lowercase_unit(char16_t unit) {
    if (unit < 0x80) return latin1_lowercase(unit);
    if (is_surrogate(unit) || !case_locale()) return latin1_lowercase(unit);
    wint_t mapped = towlower_l(unit, case_locale());
    return mapped <= 0xFFFF ? static_cast<char16_t>(mapped) : unit;
}
