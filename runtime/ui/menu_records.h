#pragma once
// The menu records and what the windowing runtime's own files share about them: the record
// layout and the menu bars made for windows. Programs use menus.h.

#include "runtime/ui/menus.h"

#include <cstdint>

class NSMenu;
class NSMutableArray;
class NSWindow;

namespace rt {

class KXMenuObject;

// One menu's record in the menu table: plain memory that the table zeroes when the menu is
// freed, so it holds raw pointers, each owned and released by DisposeMenu.
struct MenuRecord {
    NSMutableArray* title_menus; // the liveness mark: the top-level native menus, first one first
    NSMutableArray* all_menus;   // every native menu of the number, searched in order for items
    KXMenuObject* menu_object;   // the represented object of every item of the menu
    int32_t image_flag;          // non-zero: items get images
    int32_t popup_flag;          // 1 for pop-up menus, 0 for menu bars
    NSWindow* window;            // a menu bar's window (retained); nil for pop-up menus
    NSMenu* menu_bar;            // a menu bar's native menu; nil for pop-up menus
};

inline constexpr uint32_t MenuRecordSize = 48;
inline constexpr int32_t MenuTableGrowthStep = 8;
static_assert(sizeof(MenuRecord) == MenuRecordSize);

// Frees the menu bar made for `window`, if any.
void FreeWindowMenu(NSWindow* window);
// Installs the menu bar made for `window` as the main menu, if it has one.
void InstallWindowMenu(NSWindow* window);

// For the menu classes and tests: a live record (null when the number names no menu).
MenuRecord* menu_record(int64_t number);

} // namespace rt
