#include "platform/display/desktop/panel_tint.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr uint32_t k_prefers_dark = 1;
constexpr uint32_t k_prefers_light = 2;

std::string lowercase(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

// GNOME's top bar is dark whatever the applications' colour scheme.
bool desktop_has_dark_bar(std::string_view current_desktop) {
    size_t start = 0;
    while (start <= current_desktop.size()) {
        size_t end = std::min(current_desktop.find(':', start), current_desktop.size());
        if (lowercase(current_desktop.substr(start, end - start)) == "gnome") return true;
        start = end + 1;
    }
    return false;
}

} // namespace

PanelTint choose_panel_tint(const PanelFacts& facts) {
    if (desktop_has_dark_bar(facts.current_desktop)) return PanelTint::light;
    if (facts.color_scheme == k_prefers_dark) return PanelTint::light;
    if (facts.color_scheme == k_prefers_light) return PanelTint::dark;
    if (facts.dark_theme) return *facts.dark_theme ? PanelTint::light : PanelTint::dark;
    return PanelTint::light;
}

std::string_view panel_tint_name(PanelTint tint) {
    return tint == PanelTint::light ? "light" : "dark";
}

TintColour tint_colour(PanelTint tint) {
    if (tint == PanelTint::light) return {0xFF, 0xFF, 0xFF};
    return {0x00, 0x00, 0x00};
}
