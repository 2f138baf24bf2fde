#pragma once
// Numbered menus whose items carry the program's item numbers. Choosing an item, pressing its key
// equivalent or pressing a window shortcut all end in one EventKindMenu event whose object is the
// item number. A menu is either a pop-up menu (one native menu, window 0 in its events) or a
// window's menu bar, installed as the application's main menu while its window is key and freed
// with the window. Menus live in an object table (record size 48, growth step 8, free procedure
// DisposeMenu), so re-creating a number that is in use frees the old menu first.
//
// Items are added to the current menu: the menu last made by NewPopupMenu, or the top-level menu
// last added to a menu bar by AddMenuTitle. The item numbers MenuItemQuit (-4), MenuItemAbout (-3)
// and MenuItemPreferences (-2) name the items of the application menu.
//
// Item texts follow menu_title.h ("Name\tCmd+Q"); window shortcuts use the codes of
// shortcut_codes.h.

#include "runtime/core/object_table.h"
#include "runtime/core/rt_string.h"

#include <cstdint>

namespace rt {

// The application menu's items, as menu events give them: Preferences, About and Quit.
inline constexpr int64_t MenuItemPreferences = -2;
inline constexpr int64_t MenuItemAbout = -3;
inline constexpr int64_t MenuItemQuit = -4;

// NewWindowMenu flags.
inline constexpr int32_t MenuFlagImages = 1;

// Start-up: registers the menu classes, creates the menu table (once), clears the current menu
// and installs the window-shortcut matcher of the event wait. 1 on success, 0 when the table
// cannot be made.
int InitMenus();

// Makes a pop-up menu (a native menu with an empty title whose items are enabled only by
// SetMenuItemDisabled) and makes it the current menu. For a fixed number a non-zero handle, for
// AutoNumber the new number; 0 on failure.
int64_t NewPopupMenu(int64_t number);
// Makes a menu bar for a runtime window (a native window as NewWindow or WindowObject give it);
// it is installed at once when the window is key, and whenever the window becomes key later. The
// new menu is current, but items need a top-level menu first (AddMenuTitle). Results as
// NewPopupMenu; 0 also when `window` is not a runtime window.
int64_t NewWindowMenu(int64_t number, int64_t window);
int64_t NewWindowMenu(int64_t number, int64_t window, int32_t flags);
// Adds a top-level menu to the current menu bar and makes it the current native menu. The native
// menu, or 0 when the current menu is not a menu bar.
int64_t AddMenuTitle(TextArg title);

// Non-zero when the menu exists.
int MenuExists(int64_t number);
// The native menu: a pop-up menu's menu, a menu bar's bar; 0 when the menu does not exist.
int64_t MenuObject(int64_t number);

// Appends an item to the current native menu and returns it (borrowed: the menu holds it); 0 when
// there is no current native menu. The application-menu numbers add nothing: they direct that
// menu's events to the current menu's window, and -3 and -2 enable About and Preferences. An
// image (a native image) is given only in menus made with MenuFlagImages; 0 gives none.
int64_t AddMenuItem(int32_t item, TextArg text);
int64_t AddMenuItem(int32_t item, TextArg text, int64_t image);
// Appends a separator to the current native menu, if there is one.
void AddMenuSeparator();

// A non-zero state disables the item, 0 enables it.
void SetMenuItemDisabled(int64_t menu, int32_t item, int64_t state);
// New title, key equivalent and modifiers from the text; a text without a tab clears the key
// equivalent.
void ChangeMenuItemText(int64_t menu, int32_t item, TextArg text);
// The native item: the application menu's for -4, -3 and -2 (in any existing menu), otherwise the
// first item with that number in the menu's native menus; 0 when none or the menu does not exist.
int64_t FindMenuItem(int64_t menu, int32_t item);

// Frees one menu; AutoNumber frees them all. A menu bar that is the main menu gives way to the
// default main menu first. Items still held elsewhere (a status item's menu) report nothing after.
void DisposeMenu(int64_t number);

// Adds a shortcut to a window: a key-down in the window that matches `code` becomes a menu event
// for `item` and goes no further. The window's earlier shortcut with the same code is replaced.
// Nothing happens when the window does not exist.
void BindMenuShortcut(int64_t window, int32_t code, int32_t item);
// Removes the window's shortcut with that code, if any.
void UnbindMenuShortcut(int64_t window, int32_t code);

} // namespace rt
