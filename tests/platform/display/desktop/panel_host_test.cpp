#include "platform/display/desktop/panel_host.h"

#include <gtest/gtest.h>

namespace {

TEST(PanelHost, IsKnownByTheWatchersProgramBeforeTheDesktopsName) {
    struct Row {
        PanelHostFacts facts;
        PanelHostKind kind;
    };
    const Row rows[] = {
        {{"gnome-shell", ""}, PanelHostKind::gnome_shell},
        {{"kded5", "KDE"}, PanelHostKind::plasma},
        {{"plasmashell", ""}, PanelHostKind::plasma},
        {{"lxqt-panel", "LXQt"}, PanelHostKind::lxqt},
        {{"mate-panel", ""}, PanelHostKind::mate},
        {{"notification-area-applet", ""}, PanelHostKind::mate},
        {{"xfce4-panel", ""}, PanelHostKind::xfce},
        // Xfce's status tray runs in a plugin wrapper of its own.
        {{"wrapper-2.0", ""}, PanelHostKind::xfce},
        {{"waybar", "sway"}, PanelHostKind::waybar},
        // A bar started in another desktop is the bar, not the desktop.
        {{"waybar", "GNOME"}, PanelHostKind::waybar},
        {{"lxqt-panel", "KDE"}, PanelHostKind::lxqt},
        // A watcher of its own (a stand-alone daemon): the desktop decides, the most specific
        // name first, in any case.
        {{"snixembed", "ubuntu:GNOME"}, PanelHostKind::gnome_shell},
        {{"", "X-Cinnamon:xfce"}, PanelHostKind::xfce},
        {{"", "MATE:GNOME"}, PanelHostKind::mate},
        {{"", "kde"}, PanelHostKind::plasma},
        // Names are whole words of the list, never parts of one.
        {{"", "GNOME-Flashback"}, PanelHostKind::unknown},
        {{"waybar-helper", ""}, PanelHostKind::unknown},
        {{"", ""}, PanelHostKind::unknown},
        {{"", ":"}, PanelHostKind::unknown},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(choose_panel_host(rows[i].facts).kind, rows[i].kind)
            << "row " << i << ": " << rows[i].facts.watcher_program << " / "
            << rows[i].facts.current_desktop;
}

TEST(PanelHost, SaysWhatEachPanelDoesWithAnItem) {
    struct Row {
        const char* program;
        bool draws_label;
        bool keeps_wide_icons;
        bool tints_symbolic;
        bool only_activates;
        bool drops_shortcuts;
        int icon_size;
    };
    const Row rows[] = {
        {"gnome-shell", true, false, true, false, false, 16},
        {"kded5", false, false, true, false, false, 22},
        {"lxqt-panel", false, false, false, true, false, 22},
        {"mate-panel", true, true, false, true, false, 24},
        {"xfce4-panel", false, false, true, false, false, 22},
        {"waybar", false, true, false, false, true, 16},
        {"unheard-of", false, false, false, false, false, 16},
    };
    for (const Row& row : rows) {
        const PanelHost host = choose_panel_host({row.program, ""});
        EXPECT_EQ(host.draws_label, row.draws_label) << row.program;
        EXPECT_EQ(host.keeps_wide_icons, row.keeps_wide_icons) << row.program;
        EXPECT_EQ(host.tints_symbolic, row.tints_symbolic) << row.program;
        EXPECT_EQ(host.only_activates, row.only_activates) << row.program;
        EXPECT_EQ(host.drops_shortcuts, row.drops_shortcuts) << row.program;
        EXPECT_EQ(host.icon_size, row.icon_size) << row.program;
    }
}

TEST(PanelHost, PutsTheTitleWhereThePanelShowsItUnlessTheSettingSays) {
    struct Row {
        const char* setting;
        const char* program;
        TitlePlace place;
    };
    const Row rows[] = {
        {"", "gnome-shell", TitlePlace::label},
        {"auto", "gnome-shell", TitlePlace::label},
        {"always", "gnome-shell", TitlePlace::in_icon},
        {"", "kded5", TitlePlace::in_icon},
        {"never", "kded5", TitlePlace::label},
        {"", "xfce4-panel", TitlePlace::in_icon},
        {"", "lxqt-panel", TitlePlace::in_icon},
        {"", "waybar", TitlePlace::in_icon},
        // MATE's label would hide the icon where buttons show no pictures.
        {"", "mate-panel", TitlePlace::in_icon},
        {"never", "mate-panel", TitlePlace::label},
        // Unknown panels keep the label; unknown settings mean the panel's own way.
        {"", "unheard-of", TitlePlace::label},
        {"always", "unheard-of", TitlePlace::in_icon},
        {"Always", "gnome-shell", TitlePlace::label},
        {"sometimes", "kded5", TitlePlace::in_icon},
    };
    for (const Row& row : rows)
        EXPECT_EQ(choose_title_place(row.setting, choose_panel_host({row.program, ""})), row.place)
            << row.setting << " on " << row.program;
}

} // namespace
