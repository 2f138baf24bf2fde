#pragma once
// What the panel in front of the person does with a status item. Panels read the same item
// differently: some draw its label beside the icon and others ignore it, some show a wide picture
// at its width and others squeeze it into a square, some paint a symbolic icon in the colour of
// their own text, and some open the item's menu on a left click while others only send Activate.
// The panel is known by the program that owns the status-notifier watcher, else by the desktop's
// name; one table holds what each does.

#include <cstdint>
#include <string>
#include <string_view>

enum class PanelHostKind : uint8_t { unknown, gnome_shell, plasma, lxqt, mate, xfce, waybar };

struct PanelHost {
    PanelHostKind kind = PanelHostKind::unknown;
    std::string_view name = "unknown";
    bool draws_label = false;      // shows XAyatanaLabel beside the icon
    bool keeps_wide_icons = false; // a wide picture keeps its width; otherwise fitted in a square
    bool tints_symbolic = false;   // paints an icon named *-symbolic from IconThemePath its colour
    bool only_activates = false;   // a left click sends Activate and never opens the menu
    bool drops_shortcuts = false;  // its menu client cannot take shortcuts without errors
    int icon_size = 16;            // the height of its icons at 1×, in pixels
};

struct PanelHostFacts {
    std::string watcher_program = {}; // the program owning org.kde.StatusNotifierWatcher
    std::string current_desktop = {}; // XDG_CURRENT_DESKTOP, a colon-separated list
};

PanelHost choose_panel_host(const PanelHostFacts& facts);

// Whether the title goes into the icon rather than beside it, by the stored setting
// IconShowsTitle: "always", "never", or anything else for the host's own way.
enum class TitlePlace : uint8_t { label, in_icon };
TitlePlace choose_title_place(std::string_view icon_shows_title, const PanelHost& host);
