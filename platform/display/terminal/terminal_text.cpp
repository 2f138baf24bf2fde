#include "platform/display/terminal/terminal_text.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

struct StyleCode {
    TextStyle style;
    std::string_view code;
};
constexpr std::array<StyleCode, 6> k_style_codes = {
    StyleCode{TextStyle::plain, ""},         StyleCode{TextStyle::bold, "\x1b[1m"},
    StyleCode{TextStyle::dim, "\x1b[2m"},    StyleCode{TextStyle::warning, "\x1b[33m"},
    StyleCode{TextStyle::alarm, "\x1b[31m"}, StyleCode{TextStyle::marked, "\x1b[32m"},
};
constexpr std::string_view k_reset = "\x1b[0m";

// Ranges of code points that terminals draw two columns wide (the common blocks).
constexpr std::array<std::pair<char32_t, char32_t>, 12> k_wide_ranges = {{
    {0x1100, 0x115f},
    {0x231a, 0x231b},
    {0x23e9, 0x23ec},
    {0x26a1, 0x26a1},
    {0x26d4, 0x26d4},
    {0x2e80, 0xa4cf},
    {0xac00, 0xd7a3},
    {0xf900, 0xfaff},
    {0xfe30, 0xfe4f},
    {0xff00, 0xff60},
    {0xffe0, 0xffe6},
    {0x1f300, 0x1faff},
}};

bool is_wide(char32_t c) {
    if (c < k_wide_ranges.front().first) return false;
    for (const auto& [first, last] : k_wide_ranges) {
        if (c >= first && c <= last) return true;
    }
    return false;
}

size_t sequence_length(unsigned char lead) {
    if (lead >= 0xf0) return 4;
    if (lead >= 0xe0) return 3;
    if (lead >= 0xc0) return 2;
    return 1;
}

char32_t decode_point(std::string_view bytes) {
    auto lead = static_cast<unsigned char>(bytes[0]);
    if (bytes.size() == 1) return lead;
    char32_t point = lead & (0xff >> (bytes.size() + 1));
    for (size_t i = 1; i < bytes.size(); ++i)
        point = (point << 6) | (bytes[i] & 0x3f);
    return point;
}

// Length of the attribute sequence "ESC [ ... m" at the start of `text`, or 0.
size_t attribute_length(std::string_view text) {
    if (text.size() < 2 || text[0] != '\x1b' || text[1] != '[') return 0;
    size_t end = text.find('m');
    return end == std::string_view::npos ? text.size() : end + 1;
}

// Visits `text` one piece at a time: an attribute sequence (width 0) or one character.
template <typename Visit>
void for_each_piece(std::string_view text, Visit visit) {
    const char* const end = text.data() + text.size();
    for (const char* at = text.data(); at < end;) {
        const auto rest = static_cast<size_t>(end - at);
        const auto lead = static_cast<unsigned char>(*at);
        size_t length = lead == '\x1b' ? attribute_length(std::string_view(at, rest)) : 0;
        size_t width = 0;
        if (length == 0) {
            length = std::min(sequence_length(lead), rest);
            width = lead >= 0x80 && is_wide(decode_point(std::string_view(at, length))) ? 2 : 1;
        }
        if (!visit(std::string_view(at, length), width)) return;
        at += length;
    }
}

bool is_line_break(char c) {
    return c == '\n' || c == '\r';
}

} // namespace

std::string_view style_start(TextStyle style, bool colour) {
    return colour ? k_style_codes[static_cast<size_t>(style)].code : std::string_view();
}

std::string_view style_end(TextStyle style, bool colour) {
    return colour && style != TextStyle::plain ? k_reset : std::string_view();
}

std::string styled(std::string_view text, TextStyle style, bool colour) {
    std::string result(style_start(style, colour));
    result += text;
    result += style_end(style, colour);
    return result;
}

size_t display_width(std::string_view text) {
    size_t width = 0;
    for_each_piece(text, [&](std::string_view, size_t piece_width) {
        width += piece_width;
        return true;
    });
    return width;
}

std::string fit_to_width(std::string_view line, size_t columns) {
    std::string result(line);
    fit_in_place(result, columns);
    return result;
}

void fit_in_place(std::string& line, size_t columns) {
    if (display_width(line) <= columns) return;
    if (columns == 0) {
        line.clear();
        return;
    }
    size_t kept = 0;
    size_t used = 0;
    bool styled_text = false;
    for_each_piece(line, [&](std::string_view piece, size_t width) {
        if (used + width > columns - 1) return false;
        styled_text = styled_text || width == 0;
        kept += piece.size();
        used += width;
        return true;
    });
    line.resize(kept);
    line += "…";
    if (styled_text) line += k_reset;
}

std::string printable(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        auto byte = static_cast<unsigned char>(c);
        bool control = byte < 0x20 || byte == 0x7f;
        if (control && !is_line_break(c)) c = ' ';
    }
    return result;
}

std::string one_line(std::string_view text) {
    std::string line;
    append_one_line(line, text);
    return line;
}

void append_one_line(std::string& out, std::string_view text) {
    const size_t start = out.size();
    out += text;
    for (auto c = out.begin() + static_cast<std::ptrdiff_t>(start); c != out.end(); ++c) {
        const auto byte = static_cast<unsigned char>(*c);
        if (byte < 0x20 || byte == 0x7f) *c = ' ';
    }
}

std::vector<std::string> wrap_words(std::string_view text, size_t columns) {
    std::vector<std::string> lines;
    std::string line;
    size_t used = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = std::min(text.find(' ', start), text.size());
        std::string_view word = text.substr(start, end - start);
        start = end + 1;
        if (word.empty()) continue;
        size_t width = display_width(word);
        if (used > 0 && used + 1 + width > columns) {
            lines.push_back(line);
            line.clear();
            used = 0;
        }
        if (used > 0) line += ' ';
        line += fit_to_width(word, columns);
        used += (used > 0 ? 1 : 0) + std::min(width, columns);
    }
    if (used > 0) lines.push_back(line);
    return lines;
}

std::vector<std::string> split_lines(std::string_view text) {
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (!is_line_break(c)) {
            lines.back() += c;
            continue;
        }
        bool pair = i + 1 < text.size() && is_line_break(text[i + 1]) && text[i + 1] != c;
        if (pair) ++i;
        lines.emplace_back();
    }
    return lines;
}

std::string pad_right(std::string_view text, size_t columns) {
    std::string result(text);
    size_t width = display_width(text);
    if (width < columns) result.append(columns - width, ' ');
    return result;
}
