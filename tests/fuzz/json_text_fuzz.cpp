// The driver's JSON strings: any bytes written as a string literal must give valid JSON that
// reads back, the same bytes when they were valid UTF-8; and any bytes read as a literal.
// The checks here share no code with json_text.cpp.

#include "platform/display/driver/json_text.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// The length of the well-formed UTF-8 sequence at `at` (no overlong forms, no surrogates,
// nothing beyond U+10FFFF); 0 when there is none.
std::size_t utf8_length(std::string_view text, std::size_t at) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned lead = byte(0);
    if (lead < 0x80) return 1;
    const std::size_t length = lead < 0xC2   ? 0
                               : lead < 0xE0 ? 2
                               : lead < 0xF0 ? 3
                               : lead < 0xF5 ? 4
                                             : 0;
    if (length == 0 || text.size() - at < length) return 0;
    // The second byte's range.
    const unsigned low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const unsigned high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    if (byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    return length;
}

bool is_utf8(std::string_view text) {
    std::size_t length = 1;
    for (std::size_t at = 0; at < text.size() && length; at += length)
        length = utf8_length(text, at);
    return length != 0;
}

// The four hex digits at `at` as a UTF-16 unit; -1 when there are none.
long hex_unit(std::string_view text, std::size_t at) {
    unsigned unit = 0;
    const char* first = text.data() + at;
    if (text.size() < at + 4 || std::from_chars(first, first + 4, unit, 16).ptr != first + 4)
        return -1;
    return unit;
}

// A whole JSON string literal (RFC 8259), with valid UTF-8 and no unpaired surrogate escape.
bool is_json_string(std::string_view text) {
    if (text.size() < 2 || text.front() != '"' || text.back() != '"') return false;
    std::string_view body = text.substr(1, text.size() - 2);
    for (std::size_t at = 0; at < body.size();) {
        const char c = body[at];
        if (c == '"' || static_cast<unsigned char>(c) < 0x20) return false;
        if (c != '\\') {
            const std::size_t length = utf8_length(body, at);
            if (length == 0) return false;
            at += length;
        } else if (at + 1 < body.size() &&
                   std::string_view("\"\\/bfnrt").find(body[at + 1]) != std::string_view::npos) {
            at += 2;
        } else {
            const long unit =
                at + 1 < body.size() && body[at + 1] == 'u' ? hex_unit(body, at + 2) : -1;
            if (unit < 0 || (unit >= 0xDC00 && unit <= 0xDFFF)) return false;
            at += 6;
            if (unit < 0xD800 || unit > 0xDBFF) continue;
            const long trail = body.substr(at, 2) == "\\u" ? hex_unit(body, at + 2) : -1;
            if (trail < 0xDC00 || trail > 0xDFFF) return false;
            at += 6;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string written;
    append_json_string(written, input);
    if (!is_json_string(written)) std::abort();
    std::size_t used = 0;
    std::optional<std::string> back = read_json_string(written, used);
    if (!back || used != written.size() || !is_utf8(*back)) std::abort();
    if (is_utf8(input) && *back != input) std::abort();

    std::optional<std::string> read = read_json_string(input, used);
    if (read && (used > input.size() || !is_json_string(input.substr(0, used)) || !is_utf8(*read)))
        std::abort();
    return 0;
}
