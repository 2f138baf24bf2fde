#include "platform/display/driver/json_text.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr std::string_view replacement_character = "\xEF\xBF\xBD";

void append_utf8(std::string& out, uint32_t code_point) {
    if (code_point < 0x80) {
        out += static_cast<char>(code_point);
        return;
    }
    if (code_point < 0x800) {
        out += static_cast<char>(0xC0 | (code_point >> 6));
    } else if (code_point < 0x10000) {
        out += static_cast<char>(0xE0 | (code_point >> 12));
        out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code_point >> 18));
        out += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    }
    out += static_cast<char>(0x80 | (code_point & 0x3F));
}

bool is_continuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

void append_control_escape(std::string& out, unsigned char byte) {
    constexpr char hex[] = "0123456789abcdef";
    switch (byte) {
    case '\b':
        out += "\\b";
        return;
    case '\f':
        out += "\\f";
        return;
    case '\n':
        out += "\\n";
        return;
    case '\r':
        out += "\\r";
        return;
    case '\t':
        out += "\\t";
        return;
    default:
        break;
    }
    out += "\\u00";
    out += hex[byte >> 4];
    out += hex[byte & 0xF];
}

std::optional<uint32_t> read_hex4(std::string_view text) {
    if (text.size() < 4) return std::nullopt;
    uint32_t value = 0;
    for (char c : text.substr(0, 4)) {
        int digit = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    return value;
}

bool is_high_surrogate(uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool is_low_surrogate(uint32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Reads the \uXXXX escape (or surrogate pair) at `text`, which starts after the backslash-u.
// Returns the code point and the number of bytes used after "\u".
std::optional<uint32_t> read_unicode_escape(std::string_view text, size_t& used) {
    auto unit = read_hex4(text);
    if (!unit || is_low_surrogate(*unit)) return std::nullopt;
    used = 4;
    if (!is_high_surrogate(*unit)) return unit;
    if (text.substr(4, 2) != "\\u") return std::nullopt;
    auto low = read_hex4(text.substr(6));
    if (!low || !is_low_surrogate(*low)) return std::nullopt;
    used = 10;
    return 0x10000 + ((*unit - 0xD800) << 10) + (*low - 0xDC00);
}

std::optional<char> short_escape(char c) {
    switch (c) {
    case '"':
        return '"';
    case '\\':
        return '\\';
    case '/':
        return '/';
    case 'b':
        return '\b';
    case 'f':
        return '\f';
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    default:
        return std::nullopt;
    }
}

// Reads the escape at `text` (which starts after the backslash) into `out`; returns the bytes
// used, 0 for a bad escape.
size_t read_escape(std::string_view text, std::string& out) {
    if (text.empty()) return 0;
    if (auto c = short_escape(text[0])) {
        out += *c;
        return 1;
    }
    if (text[0] != 'u') return 0;
    size_t used = 0;
    auto code_point = read_unicode_escape(text.substr(1), used);
    if (!code_point) return 0;
    append_utf8(out, *code_point);
    return 1 + used;
}

} // namespace

size_t utf8_sequence_length(std::string_view text) {
    if (text.empty()) return 0;
    auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) return 1;
    size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                    : lead >= 0xE0 && lead <= 0xEF ? 3
                    : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                   : 0;
    if (length == 0 || text.size() < length) return 0;
    for (size_t i = 1; i < length; ++i) {
        if (!is_continuation(static_cast<unsigned char>(text[i]))) return 0;
    }
    auto second = static_cast<unsigned char>(text[1]);
    // Overlong forms, surrogates and code points above U+10FFFF.
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))
        return 0;
    return length;
}

void append_json_string(std::string& out, std::string_view text) {
    out += '"';
    while (!text.empty()) {
        // Printable ASCII other than the quote and the backslash goes out as it is, a run at once.
        const auto plain = std::find_if_not(text.begin(), text.end(), [](char c) {
            return c >= 0x20 && c < 0x7F && c != '"' && c != '\\';
        });
        if (plain != text.begin()) {
            const auto length = static_cast<size_t>(plain - text.begin());
            out.append(text.data(), length);
            text.remove_prefix(length);
            continue;
        }
        auto byte = static_cast<unsigned char>(text[0]);
        size_t length = utf8_sequence_length(text);
        if (length == 0) {
            out += replacement_character;
            text.remove_prefix(1);
            continue;
        }
        if (byte < 0x20 || byte == 0x7F)
            append_control_escape(out, byte);
        else if (byte == '"' || byte == '\\')
            (out += '\\') += static_cast<char>(byte);
        else
            out += text.substr(0, length);
        text.remove_prefix(length);
    }
    out += '"';
}

std::optional<std::string> read_json_string(std::string_view text, size_t& used) {
    if (text.empty() || text[0] != '"') return std::nullopt;
    std::string value;
    size_t at = 1;
    while (at < text.size()) {
        char c = text[at];
        if (c == '"') {
            used = at + 1;
            return value;
        }
        if (c == '\\') {
            size_t length = read_escape(text.substr(at + 1), value);
            if (length == 0) return std::nullopt;
            at += 1 + length;
            continue;
        }
        size_t length = utf8_sequence_length(text.substr(at));
        if (length == 0 || static_cast<unsigned char>(c) < 0x20) return std::nullopt;
        value += text.substr(at, length);
        at += length;
    }
    return std::nullopt;
}
