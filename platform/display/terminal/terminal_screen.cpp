#include "platform/display/terminal/terminal_screen.h"

#include "platform/display/terminal/terminal_text.h"

#include <algorithm>

namespace {

constexpr std::string_view k_erase_below = "\x1b[J";
constexpr std::string_view k_newline = "\r\n";

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += k_newline;
        text += lines[i];
    }
    return text;
}

} // namespace

std::string LiveRegion::erase() const {
    if (m_lines.empty()) return {};
    std::string bytes = "\r";
    if (m_rows > 1) bytes += "\x1b[" + std::to_string(m_rows - 1) + "A";
    bytes += k_erase_below;
    return bytes;
}

std::string LiveRegion::redraw(const std::vector<std::string>& lines) {
    if (lines == m_lines) return {};
    std::string bytes = erase() + joined(lines);
    m_lines = lines;
    m_rows = lines.size();
    return bytes;
}

std::string LiveRegion::print_above(const std::vector<std::string>& lines) {
    std::string bytes = erase();
    for (const auto& line : lines)
        bytes += line + std::string(k_newline);
    bytes += joined(m_lines);
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
