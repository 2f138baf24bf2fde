#include "platform/display/terminal/terminal_screen.h"

#include "platform/display/terminal/terminal_text.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace {

constexpr std::string_view k_erase_below = "\x1b[J";
constexpr std::string_view k_newline = "\r\n";

void append_joined(std::string& text, const std::vector<std::string>& lines) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += k_newline;
        text += lines[i];
    }
}

} // namespace

void LiveRegion::append_erase(std::string& bytes) const {
    if (m_lines.empty()) return;
    bytes += '\r';
    if (m_rows > 1) {
        std::array<char, 24> digits{};
        const auto end = std::to_chars(digits.begin(), digits.end(), m_rows - 1).ptr;
        bytes += "\x1b[";
        bytes.append(digits.begin(), end);
        bytes += 'A';
    }
    bytes += k_erase_below;
}

const std::string& LiveRegion::redraw(const std::vector<std::string>& lines) {
    m_bytes.clear();
    if (lines == m_lines) return m_bytes;
    append_erase(m_bytes);
    append_joined(m_bytes, lines);
    // Most redraws change the status line alone: the other lines are not copied again.
    m_lines.resize(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        if (m_lines[i] != lines[i]) m_lines[i] = lines[i];
    }
    m_rows = lines.size();
    return m_bytes;
}

std::string LiveRegion::print_above(const std::vector<std::string>& lines) {
    std::string bytes;
    append_erase(bytes);
    for (const auto& line : lines) {
        bytes += line;
        bytes += k_newline;
    }
    append_joined(bytes, m_lines);
    m_rows = m_lines.size();
    return bytes;
}

std::string LiveRegion::release() {
    if (m_lines.empty()) return {};
    m_lines.clear();
    m_rows = 0;
    return std::string(k_newline);
}

void LiveRegion::rewrap(size_t columns) {
    if (columns == 0) return;
    m_rows = 0;
    for (const auto& line : m_lines)
        m_rows += std::max<size_t>(1, (display_width(line) + columns - 1) / columns);
}
