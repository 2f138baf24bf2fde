#pragma once
// The status item's menu, exported over com.canonical.dbusmenu for the panel to show: the items
// in order, separators, disabled items, key equivalents as shortcuts. Item ids are positions
// (1 for the first), so a panel that holds a layout can still name items after a change.

#include "platform/display/display_snapshots.h"

#include <libdbusmenu-glib/server.h>

#include <functional>
#include <optional>
#include <vector>

class StatusMenuExporter {
  public:
    // `chosen` gets the model's number of an item the person chose.
    StatusMenuExporter(const char* object_path, std::function<void(int number)> chosen);
    ~StatusMenuExporter();
    StatusMenuExporter(const StatusMenuExporter&) = delete;
    StatusMenuExporter& operator=(const StatusMenuExporter&) = delete;

    // Null: the status item has no menu (an empty one is exported).
    void show(const std::optional<std::vector<MenuItemSnapshot>>& items);
    // Whether key equivalents are exported: some panels' menu clients fail on every shortcut.
    void show_shortcuts(bool shown);
    // The items as last shown.
    const std::optional<std::vector<MenuItemSnapshot>>& items() const { return m_items; }

  private:
    void export_layout(const std::optional<std::vector<MenuItemSnapshot>>& items);
    void renew_changed_items(const std::vector<MenuItemSnapshot>& items);
    DbusmenuMenuitem* make_item(int id, const MenuItemSnapshot& snapshot);
    void set_properties(DbusmenuMenuitem* item, const MenuItemSnapshot& snapshot);
    static void on_activated(DbusmenuMenuitem* item, guint timestamp, gpointer self);

    DbusmenuServer* m_server;
    DbusmenuMenuitem* m_root = nullptr; // held by the server
    std::function<void(int)> m_chosen;
    std::optional<std::vector<MenuItemSnapshot>> m_items;
    bool m_shown = false;
    bool m_shortcuts_shown = true;
};

// The dbusmenu shortcut of a key equivalent: one list of modifier names and the key, e.g.
// {"Control", "Shift", "z"}; empty for an item without a key.
std::vector<std::string> menu_shortcut(const MenuItemSnapshot& item);
