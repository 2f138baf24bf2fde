#include "platform/display/desktop/panel_tint.h"

#include "platform/display/desktop_names.h"

namespace {

constexpr uint32_t k_prefers_dark = 1;
constexpr uint32_t k_prefers_light = 2;

// GNOME's top bar is dark whatever the applications' colour scheme.
bool desktop_has_dark_bar(std::string_view current_desktop) {
    return lists_desktop(current_desktop, "GNOME");
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
