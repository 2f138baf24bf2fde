#include "platform/display/desktop/panel_host.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using enum PanelHostKind;

TEST(PanelHost, IsKnownByTheWatchersProgramBeforeTheDesktopsName) {
    struct Row {
        PanelHostFacts facts;
        PanelHostKind kind;
    };
    const Row rows[] = {
        {{"gnome-shell", ""}, gnome_shell},
        {{"kded5", "KDE"}, plasma},
        {{"plasmashell", ""}, plasma},
        {{"lxqt-panel", "LXQt"}, lxqt},
        {{"notification-area-applet", ""}, mate},
        // Xfce's status tray runs in a plugin wrapper of its own.
        {{"wrapper-2.0", ""}, xfce},
        // A bar started in another desktop is the bar, not the desktop.
        {{"waybar", "GNOME"}, waybar},
        {{"lxqt-panel", "KDE"}, lxqt},
        // A watcher of its own (a stand-alone daemon): the desktop decides, the most specific
        // name first, in any case.
        {{"snixembed", "ubuntu:GNOME"}, gnome_shell},
        {{"", "X-Cinnamon:xfce"}, xfce},
        {{"", "MATE:GNOME"}, mate},
        {{"", "kde"}, plasma},
        {{"", "lxqt"}, lxqt},
        // Names are whole words of the list, never parts of one; waybar has no desktop name.
        {{"", "GNOME-Flashback"}, unknown},
        {{"", "GNOM"}, unknown},
        {{"waybar-helper", ""}, unknown},
        {{"", ""}, unknown},
        {{"", ":"}, unknown},
    };
    for (const Row& row : rows)
        EXPECT_EQ(choose_panel_host(row.facts).kind, row.kind)
            << row.facts.watcher_program << " / " << row.facts.current_desktop;
}

TEST(PanelHost, SaysWhatEachPanelDoesWithAnItemAndWhereTheTitleGoes) {
    struct Row {
        const char* program;
        PanelHostKind kind;
        bool label, wide, tints, activates, drops;
        int icon_size;
        TitlePlace title;
    };
    const auto label = TitlePlace::label, in_icon = TitlePlace::in_icon;
    const Row rows[] = {
        {"gnome-shell", gnome_shell, true, false, true, false, false, 16, label},
        {"kded5", plasma, false, false, true, false, false, 22, in_icon},
        {"lxqt-panel", lxqt, false, false, false, true, false, 22, in_icon},
        // MATE's label would hide the icon where buttons show no pictures.
        {"mate-panel", mate, true, true, false, true, false, 24, in_icon},
        {"xfce4-panel", xfce, false, false, true, false, false, 22, in_icon},
        {"waybar", waybar, false, true, false, false, true, 16, in_icon},
        {"unheard-of", unknown, false, false, false, false, false, 16, label},
    };
    for (const Row& row : rows) {
        const PanelHost host = choose_panel_host({row.program, ""});
        EXPECT_EQ(std::tuple(host.kind, host.draws_label, host.keeps_wide_icons,
                             host.tints_symbolic, host.only_activates, host.drops_shortcuts,
                             host.icon_size),
                  std::tuple(row.kind, row.label, row.wide, row.tints, row.activates, row.drops,
                             row.icon_size))
            << row.program;
        // An unknown setting means the panel's own way.
        for (const char* setting : {"", "auto", "Always", "sometimes"})
            EXPECT_EQ(choose_title_place(setting, host), row.title) << row.program << setting;
        EXPECT_EQ(choose_title_place("always", host), in_icon) << row.program;
        EXPECT_EQ(choose_title_place("never", host), label) << row.program;
    }
}

} // namespace
