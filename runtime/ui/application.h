#pragma once
// The application's start-up: the application object with its delegate, the menu delegate and the
// application menu (About, Preferences, Services, Hide, Hide Others, Show All, Quit), installed at
// the front of the default main menu; and two steps that on this platform only have an effect
// where there is something to do: bringing the process to the front and entering the bundle's
// Contents folder.

#include <cstdint>

class NSMenu;
class NSMenuItem;

namespace rt {

class KXMenuDelegate;

// Makes the application active; 0 (no error).
int32_t BringProcessToFront();
// Creates the application object, its delegates and menus once, then finishes launching. 1 on
// success, 0 when the application object cannot be made.
int InitApplication();
// Makes "<bundle>/Contents" the working directory when the bundle's path is known and the whole
// path fits in 255 bytes; otherwise does nothing.
void EnterBundleContents();

// What InitApplication made, for the menus: null before it ran.
KXMenuDelegate* menu_delegate();
NSMenu* default_main_menu();
// The application menu's About (-3), Preferences (-2) and Quit (-4) items, and its title item.
NSMenuItem* application_menu_item(int64_t number);
NSMenuItem* application_menu_title_item();

} // namespace rt
