#include "platform/display/desktop/item_popup_menu.h"

#include "platform/display/desktop/desktop_keys.h"

namespace {

constexpr const char* k_number_key = "zerarazi-number";

// A key equivalent is one character; a longer text is taken as a GDK key name.
guint accelerator_key(const std::string& key) {
    if (!g_utf8_validate(key.c_str(), static_cast<gssize>(key.size()), nullptr)) return 0;
    if (g_utf8_strlen(key.c_str(), -1) == 1)
        return gdk_unicode_to_keyval(g_utf8_get_char(key.c_str()));
    const guint keyval = gdk_keyval_from_name(key.c_str());
    return keyval == GDK_KEY_VoidSymbol ? 0 : keyval;
}

// The menu's grab and its keyboard navigation need the event that opened it, and a call over
// D-Bus is none: this press stands for the panel's click.
GdkEvent* synthetic_press(GdkWindow* window) {
    GdkEvent* event = gdk_event_new(GDK_BUTTON_PRESS);
    event->button.window = GDK_WINDOW(g_object_ref(window));
    event->button.time = GDK_CURRENT_TIME;
    GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(window));
    gdk_event_set_device(event, gdk_seat_get_pointer(seat));
    return event;
}

// By the type's name: gdkx.h would bring in Xlib, whose Display is not ours.
bool places_windows_at_points(GdkDisplay* display) {
    const GType x11_display = g_type_from_name("GdkX11Display");
    return display && x11_display && G_TYPE_CHECK_INSTANCE_TYPE(display, x11_display);
}

} // namespace

MenuAccelerator menu_accelerator(const MenuItemSnapshot& item) {
    const guint key = item.key.empty() ? 0 : accelerator_key(item.key);
    if (!key) return {};
    return MenuAccelerator{.key = key, .modifiers = desktop_modifier_masks(item.modifiers)};
}

ItemPopupMenu::ItemPopupMenu(std::function<void(int number)> chosen)
    : m_chosen(std::move(chosen)) {}

ItemPopupMenu::~ItemPopupMenu() {
    close();
}

bool ItemPopupMenu::pop_up(const std::vector<MenuItemSnapshot>& items, int x, int y) {
    GdkDisplay* display = gdk_display_get_default();
    if (!places_windows_at_points(display) || items.empty()) return false;
    close();
    m_menu = GTK_WIDGET(g_object_ref_sink(gtk_menu_new()));
    for (const MenuItemSnapshot& snapshot : items)
        gtk_menu_shell_append(GTK_MENU_SHELL(m_menu), make_item(snapshot));
    gtk_widget_show_all(m_menu);
    // The root window anchors a point given in screen coordinates; the menu flips and slides to
    // stay on the monitor, upwards from a panel at the bottom.
    GdkWindow* root = gdk_screen_get_root_window(gdk_display_get_default_screen(display));
    const GdkRectangle point{x, y, 1, 1};
    GdkEvent* trigger = synthetic_press(root);
    gtk_menu_popup_at_rect(GTK_MENU(m_menu), root, &point, GDK_GRAVITY_SOUTH_EAST,
                           GDK_GRAVITY_NORTH_WEST, trigger);
    gdk_event_free(trigger);
    return is_open();
}

void ItemPopupMenu::close() {
    if (!m_menu) return;
    gtk_widget_destroy(m_menu);
    g_object_unref(m_menu);
    m_menu = nullptr;
}

bool ItemPopupMenu::is_open() const {
    return m_menu && gtk_widget_get_visible(m_menu);
}

GtkWidget* ItemPopupMenu::make_item(const MenuItemSnapshot& snapshot) {
    if (snapshot.separator) return gtk_separator_menu_item_new();
    // A plain label: an underscore in a title is shown, not taken as an access key.
    GtkWidget* item = gtk_menu_item_new_with_label(snapshot.title.c_str());
    gtk_widget_set_sensitive(item, snapshot.enabled);
    const MenuAccelerator accelerator = menu_accelerator(snapshot);
    if (accelerator.key)
        gtk_accel_label_set_accel(GTK_ACCEL_LABEL(gtk_bin_get_child(GTK_BIN(item))),
                                  accelerator.key, accelerator.modifiers);
    g_object_set_data(G_OBJECT(item), k_number_key, GINT_TO_POINTER(snapshot.number));
    g_signal_connect(item, "activate", G_CALLBACK(on_activate), this);
    return item;
}

// GTK lets nobody click an insensitive item, but an activation sent to it still arrives here.
// The callback runs from a copy: it may destroy this object, or pop the menu up again.
void ItemPopupMenu::on_activate(GtkMenuItem* item, gpointer self) {
    if (!gtk_widget_is_sensitive(GTK_WIDGET(item))) return;
    const int number = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), k_number_key));
    const std::function<void(int)> chosen = static_cast<ItemPopupMenu*>(self)->m_chosen;
    chosen(number);
}
