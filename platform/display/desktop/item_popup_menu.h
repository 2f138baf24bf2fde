#pragma once
// The status item's menu popped up by the item itself, for the panels that never open it. On a
// left click, LXQt's panel (1.2) and MATE's (1.27) only call the item's Activate(x, y), with the
// pointer's place in screen coordinates, and do not read ItemIsMenu; the item then shows the same
// menu it exports over dbusmenu as a GTK menu at that point: the same titles, separators,
// disabled items greyed and shortcuts shown with the exported menu's modifiers (keyboard.h).
//
// Only on X11: a Wayland client cannot place a window at a point of the screen, and a popup there
// needs a parent surface that a status item does not have; the panels that need this run on X11.
// The menu takes the pointer and keyboard grab as any popup menu does, so a click outside or
// Escape closes it.

#include "platform/display/display_snapshots.h"

#include <gtk/gtk.h>

#include <functional>
#include <vector>

class ItemPopupMenu {
  public:
    // `chosen` gets the model's number of an enabled item the person chose, after the menu
    // closed; it may destroy this object or pop the menu up again.
    explicit ItemPopupMenu(std::function<void(int number)> chosen);
    // Closes the menu if it is open.
    ~ItemPopupMenu();
    ItemPopupMenu(const ItemPopupMenu&) = delete;
    ItemPopupMenu& operator=(const ItemPopupMenu&) = delete;

    // Pops `items` up at the screen point (x, y) of the default display, in place of a menu this
    // object has open. False, with nothing shown, when the display is not X11, `items` is empty or
    // the grab was refused (another program holds the pointer).
    bool pop_up(const std::vector<MenuItemSnapshot>& items, int x, int y);
    void close();
    bool is_open() const;

  private:
    GtkWidget* make_item(const MenuItemSnapshot& snapshot);
    static void on_activate(GtkMenuItem* item, gpointer self);

    std::function<void(int)> m_chosen;
    GtkWidget* m_menu = nullptr; // owned: one reference, destroyed by close()
};

// The GTK accelerator of an item's key equivalent, with the modifiers menu_shortcut() gives the
// exported menu; key 0 for an item without a key or with one GTK has no key for.
struct MenuAccelerator {
    guint key = 0;
    GdkModifierType modifiers = static_cast<GdkModifierType>(0);
};
MenuAccelerator menu_accelerator(const MenuItemSnapshot& item);
