#pragma once
// The colour a template image takes in the panel: panels show template pictures in the colour of
// their own text, light on a dark panel and dark on a light one. GNOME's top bar is always dark;
// elsewhere the session's colour scheme decides, else the GTK theme that panels such as Xfce's and
// MATE's are drawn with, and with nothing known the panel is taken as dark.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class PanelTint : uint8_t { light, dark };

struct PanelFacts {
    // The XDG desktop portal's org.freedesktop.appearance color-scheme: 0 no preference,
    // 1 prefer dark, 2 prefer light; null when no portal answered.
    std::optional<uint32_t> color_scheme = {};
    std::string current_desktop = {};    // XDG_CURRENT_DESKTOP, a colon-separated list
    std::optional<bool> dark_theme = {}; // whether the GTK theme is dark; null when unknown
};

PanelTint choose_panel_tint(const PanelFacts& facts);

// "light" or "dark".
std::string_view panel_tint_name(PanelTint tint);

// The RGB colour a template picture is painted in for `tint`.
struct TintColour {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};
TintColour tint_colour(PanelTint tint);
