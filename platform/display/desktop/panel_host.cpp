#include "platform/display/desktop/panel_host.h"

#include "platform/display/desktop_names.h"

#include <array>

namespace {

struct HostRow {
    PanelHost host;
    std::array<std::string_view, 2> programs; // the file names of the programs that host it
    std::string_view desktop;                 // its name in XDG_CURRENT_DESKTOP
    TitlePlace title_place;
};

// Xfce's status tray runs as one of its panel's plugins in a wrapper process of its own. MATE
// draws the label on the item's button, where it hides the icon whenever buttons show no
// pictures, so there the title goes into the icon, beside the battery: it keeps a wide picture
// wide.
constexpr std::array<HostRow, 6> k_hosts = {{
    {{PanelHostKind::gnome_shell, "GNOME Shell", true, false, true, false, false, 16},
     {"gnome-shell", ""},
     "GNOME",
     TitlePlace::label},
    {{PanelHostKind::plasma, "Plasma", false, false, true, false, false, 22},
     {"kded5", "plasmashell"},
     "KDE",
     TitlePlace::in_icon},
    {{PanelHostKind::lxqt, "LXQt", false, false, false, true, false, 22},
     {"lxqt-panel", ""},
     "LXQt",
     TitlePlace::in_icon},
    {{PanelHostKind::mate, "MATE", true, true, false, true, false, 24},
     {"mate-panel", "notification-area-applet"},
     "MATE",
     TitlePlace::in_icon},
    {{PanelHostKind::xfce, "Xfce", false, false, true, false, false, 22},
     {"xfce4-panel", "wrapper-2.0"},
     "XFCE",
     TitlePlace::in_icon},
    {{PanelHostKind::waybar, "waybar", false, true, false, false, true, 16},
     {"waybar", ""},
     "",
     TitlePlace::in_icon},
}};

const HostRow* row_for_program(std::string_view program) {
    for (const HostRow& row : k_hosts) {
        for (std::string_view name : row.programs) {
            if (!name.empty() && name == program) return &row;
        }
    }
    return nullptr;
}

const HostRow* host_row(const PanelHostFacts& facts) {
    if (const HostRow* row = row_for_program(facts.watcher_program)) return row;
    return desktop_row(facts.current_desktop, k_hosts);
}

} // namespace

PanelHost choose_panel_host(const PanelHostFacts& facts) {
    const HostRow* row = host_row(facts);
    return row ? row->host : PanelHost{};
}

TitlePlace choose_title_place(std::string_view icon_shows_title, const PanelHost& host) {
    if (icon_shows_title == "always") return TitlePlace::in_icon;
    if (icon_shows_title == "never") return TitlePlace::label;
    for (const HostRow& row : k_hosts) {
        if (row.host.kind == host.kind) return row.title_place;
    }
    return TitlePlace::label;
}
