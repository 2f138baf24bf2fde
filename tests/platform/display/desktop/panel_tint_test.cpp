#include "platform/display/desktop/panel_tint.h"

#include <gtest/gtest.h>

namespace {

TEST(PanelTint, FollowsTheColourSchemeThenTheThemeExceptUnderGnomesDarkBar) {
    struct Row {
        PanelFacts facts;
        PanelTint tint;
    };
    const Row rows[] = {
        {{.color_scheme = 1}, PanelTint::light},
        {{.color_scheme = 2}, PanelTint::dark},
        // No preference, or no portal: most panels are dark.
        {{.color_scheme = 0}, PanelTint::light},
        {{}, PanelTint::light},
        {{.color_scheme = 2, .current_desktop = "KDE"}, PanelTint::dark},
        // GNOME's top bar is dark even when applications are light, in any place of the list.
        {{.color_scheme = 2, .current_desktop = "GNOME"}, PanelTint::light},
        {{.color_scheme = 2, .current_desktop = "ubuntu:GNOME"}, PanelTint::light},
        {{.color_scheme = 2, .current_desktop = "gnome-flashback:Unity"}, PanelTint::dark},
        // Without a preference, the GTK theme the panel is drawn with.
        {{.current_desktop = "XFCE", .dark_theme = false}, PanelTint::dark},
        {{.color_scheme = 0, .current_desktop = "XFCE", .dark_theme = true}, PanelTint::light},
        {{.color_scheme = 1, .dark_theme = false}, PanelTint::light},
        {{.current_desktop = "GNOME", .dark_theme = false}, PanelTint::light},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(choose_panel_tint(rows[i].facts), rows[i].tint)
            << "row " << i << ": " << rows[i].facts.current_desktop;
}

} // namespace
