#pragma once
// The desktop's names as XDG_CURRENT_DESKTOP lists them: separated by ':', the most specific
// first ("ubuntu:GNOME"), each matched in any letter case. In the header because the desktop
// display's module, which takes no code from the program, reads them too.

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string_view>

inline bool same_desktop_name(std::string_view one, std::string_view other) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::equal(one.begin(), one.end(), other.begin(), other.end(),
                      [&](char a, char b) { return lower(a) == lower(b); });
}

// The first of `rows` whose `desktop` member is a name `current_desktop` lists, by the list's
// order; null when there is none. An empty name is no desktop.
template <typename Rows>
auto desktop_row(std::string_view current_desktop, const Rows& rows)
    -> decltype(&*std::begin(rows)) {
    size_t start = 0;
    while (start <= current_desktop.size()) {
        const size_t end = std::min(current_desktop.find(':', start), current_desktop.size());
        const std::string_view name = current_desktop.substr(start, end - start);
        for (const auto& row : rows) {
            if (!name.empty() && same_desktop_name(name, row.desktop)) return &row;
        }
        start = end + 1;
    }
    return nullptr;
}

inline bool lists_desktop(std::string_view current_desktop, std::string_view desktop) {
    struct Row {
        std::string_view desktop;
    };
    const Row rows[] = {{desktop}};
    return desktop_row(current_desktop, rows) != nullptr;
}
