#include "platform/display/desktop/status_menu_exporter.h"

#include "platform/display/keyboard.h"

#include <algorithm>

namespace {

constexpr const char* k_number_key = "zerarazi-number";
constexpr const char* k_separator_type = "separator";
// The enabled state as the model gave it: the menu item drops properties at their default value.
constexpr const char* k_enabled_key = "zerarazi-enabled";

GVariant* shortcut_variant(const std::vector<std::string>& keys) {
    GVariantBuilder chord;
    g_variant_builder_init(&chord, G_VARIANT_TYPE("as"));
    for (const std::string& key : keys)
        g_variant_builder_add(&chord, "s", key.c_str());
    GVariantBuilder chords;
    g_variant_builder_init(&chords, G_VARIANT_TYPE("aas"));
    g_variant_builder_add_value(&chords, g_variant_builder_end(&chord));
    return g_variant_builder_end(&chords);
}

// Panels take an underscore as the mark of the access key that follows; a doubled one shows.
std::string without_mnemonics(const std::string& title) {
    std::string label;
    for (char c : title) {
        if (c == '_') label += '_';
        label += c;
    }
    return label;
}

// The same items and separators at the same places.
bool same_layout(const std::optional<std::vector<MenuItemSnapshot>>& before,
                 const std::optional<std::vector<MenuItemSnapshot>>& after) {
    if (!before || !after || before->size() != after->size()) return false;
    return std::equal(before->begin(), before->end(), after->begin(),
                      [](const MenuItemSnapshot& one, const MenuItemSnapshot& other) {
                          return one.separator == other.separator;
                      });
}

} // namespace

std::vector<std::string> menu_shortcut(const MenuItemSnapshot& item) {
    if (item.key.empty()) return {};
    std::vector<std::string> keys;
    for (const KeyModifierRow& row : key_modifiers) {
        if (item.modifiers & static_cast<uint8_t>(row.modifier))
            keys.emplace_back(row.desktop_name);
    }
    keys.push_back(item.key);
    return keys;
}

StatusMenuExporter::StatusMenuExporter(const char* object_path,
                                       std::function<void(int number)> chosen)
    : m_server(dbusmenu_server_new(object_path)), m_chosen(std::move(chosen)) {}

StatusMenuExporter::~StatusMenuExporter() {
    g_object_unref(m_server);
}

void StatusMenuExporter::show_shortcuts(bool shown) {
    if (shown == m_shortcuts_shown) return;
    m_shortcuts_shown = shown;
    if (m_shown) export_layout(m_items);
}

// A change that keeps the items and separators where they were renews the items that changed,
// so that a panel hears of those alone instead of a new layout.
void StatusMenuExporter::show(const std::optional<std::vector<MenuItemSnapshot>>& items) {
    if (m_shown && items == m_items) return;
    if (m_shown && same_layout(m_items, items)) {
        renew_changed_items(*items);
    } else {
        export_layout(items);
    }
    m_shown = true;
    m_items = items;
}

void StatusMenuExporter::export_layout(const std::optional<std::vector<MenuItemSnapshot>>& items) {
    DbusmenuMenuitem* root = dbusmenu_menuitem_new_with_id(0);
    // Menu clients expect an item with children to say that it shows them as a submenu.
    dbusmenu_menuitem_property_set(root, DBUSMENU_MENUITEM_PROP_CHILD_DISPLAY,
                                   DBUSMENU_MENUITEM_CHILD_DISPLAY_SUBMENU);
    int id = 0;
    for (const MenuItemSnapshot& snapshot : items.value_or(std::vector<MenuItemSnapshot>{})) {
        DbusmenuMenuitem* item = make_item(++id, snapshot);
        dbusmenu_menuitem_child_append(root, item);
        g_object_unref(item);
    }
    dbusmenu_server_set_root(m_server, root);
    m_root = root;
    g_object_unref(root);
}

void StatusMenuExporter::renew_changed_items(const std::vector<MenuItemSnapshot>& items) {
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i] == (*m_items)[i]) continue;
        DbusmenuMenuitem* item = dbusmenu_menuitem_find_id(m_root, static_cast<int>(i + 1));
        if (item) set_properties(item, items[i]);
    }
}

DbusmenuMenuitem* StatusMenuExporter::make_item(int id, const MenuItemSnapshot& snapshot) {
    DbusmenuMenuitem* item = dbusmenu_menuitem_new_with_id(id);
    if (snapshot.separator) {
        dbusmenu_menuitem_property_set(item, DBUSMENU_MENUITEM_PROP_TYPE, k_separator_type);
        return item;
    }
    set_properties(item, snapshot);
    g_signal_connect(item, DBUSMENU_MENUITEM_SIGNAL_ITEM_ACTIVATED, G_CALLBACK(on_activated), this);
    return item;
}

void StatusMenuExporter::set_properties(DbusmenuMenuitem* item, const MenuItemSnapshot& snapshot) {
    dbusmenu_menuitem_property_set(item, DBUSMENU_MENUITEM_PROP_LABEL,
                                   without_mnemonics(snapshot.title).c_str());
    dbusmenu_menuitem_property_set_bool(item, DBUSMENU_MENUITEM_PROP_ENABLED, snapshot.enabled);
    std::vector<std::string> shortcut = menu_shortcut(snapshot);
    if (!shortcut.empty() && m_shortcuts_shown)
        dbusmenu_menuitem_property_set_variant(item, DBUSMENU_MENUITEM_PROP_SHORTCUT,
                                               shortcut_variant(shortcut));
    else
        dbusmenu_menuitem_property_remove(item, DBUSMENU_MENUITEM_PROP_SHORTCUT);
    g_object_set_data(G_OBJECT(item), k_number_key, GINT_TO_POINTER(snapshot.number));
    g_object_set_data(G_OBJECT(item), k_enabled_key, GINT_TO_POINTER(snapshot.enabled ? 1 : 0));
}

// A disabled item cannot be chosen, even by a panel that sends the event anyway.
void StatusMenuExporter::on_activated(DbusmenuMenuitem* item, guint, gpointer self) {
    if (!g_object_get_data(G_OBJECT(item), k_enabled_key)) return;
    int number = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), k_number_key));
    static_cast<StatusMenuExporter*>(self)->m_chosen(number);
}
