#include "runtime/ui/menus.h"

#include "runtime/ui/menu_records.h"
#include "runtime/ui/native/kx_menu_delegate.h"

#include "platform/appkit/ns_application.h"
#include "platform/appkit/ns_image.h"
#include "platform/appkit/ns_menu.h"
#include "platform/appkit/ns_menu_item.h"
#include "platform/appkit/ns_window.h"
#include "platform/foundation/ns_array.h"
#include "platform/foundation/ns_string.h"
#include "platform/objc/selector.h"
#include "runtime/core/object_table_of.h"
#include "runtime/ui/application.h"
#include "runtime/ui/menu_title.h"
#include "runtime/ui/native/kx_menu_object.h"
#include "runtime/ui/native/kx_shortcut.h"
#include "runtime/ui/wait_event.h"
#include "runtime/ui/window_records.h"

#include <string_view>

namespace rt {

namespace {

ObjectTableOf<MenuRecord, MenuRecordSize> g_menu_table;

// Where AddMenuItem and AddMenuSeparator add: the current menu's record and native menu.
struct CurrentMenu {
    MenuRecord* record = nullptr;
    NSMenu* menu = nullptr; // borrowed: one of the record's native menus
};

CurrentMenu g_current;

ObjcRef<NSString> native_text(std::u16string_view text) {
    return NSString::make(text);
}

std::u16string_view text_of(TextArg text) {
    return text.get() ? std::u16string_view(text.get()) : std::u16string_view();
}

// A native menu whose items are enabled only as the program says.
ObjcRef<NSMenu> make_menu(std::u16string_view title) {
    ObjcRef<NSMenu> menu = make_native<NSMenu>();
    if (!menu) return {};
    menu->initWithTitle(native_text(title).get());
    menu->setAutoenablesItems(NO);
    return menu;
}

void apply_title(NSMenuItem& item, const MenuTitle& parsed) {
    item.setTitle(native_text(parsed.title).get());
    item.setKeyEquivalent(native_text(parsed.key_equivalent).get());
    item.setKeyEquivalentModifierMask(parsed.modifier_mask);
}

// True when the item shows `text` already: a text without mnemonics or a shortcut that is the
// item's title, on an item without a shortcut. Refreshes set the same line again and again.
bool already_titled(const NSMenuItem& item, std::u16string_view text) {
    return text.find_first_of(u"&\t") == std::u16string_view::npos &&
           units_of(item.title()) == text && units_of(item.keyEquivalent()).empty() &&
           item.keyEquivalentModifierMask() == 0;
}

// Fills a new record with its arrays and menu object; false when one cannot be made.
bool fill_menu_record(MenuRecord& record) {
    ObjcRef<NSMutableArray> title_menus = NSMutableArray::make();
    ObjcRef<NSMutableArray> all_menus = NSMutableArray::make();
    ObjcRef<KXMenuObject> object = make_native<KXMenuObject>();
    if (!title_menus || !all_menus || !object) return false;
    object->initWithMenu(&record);
    record.title_menus = title_menus.take();
    record.all_menus = all_menus.take();
    record.menu_object = object.take();
    return true;
}

// Adds a native menu to the record's menus and makes it the current one.
void adopt_menu(MenuRecord& record, NSMenu* menu, bool top_level) {
    if (top_level) record.title_menus->addObject(menu);
    record.all_menus->addObject(menu);
    g_current = {&record, menu};
}

void release_menu_record(MenuRecord& record) {
    if (record.menu_object) record.menu_object->forget_menu();
    objc_release(record.title_menus);
    objc_release(record.all_menus);
    objc_release(record.menu_object);
    objc_release(record.menu_bar);
    objc_release(record.window);
}

// The number of a new menu for the program: the record address for AutoNumber, otherwise the
// record's top-level menus as a handle.
int64_t new_menu_result(int64_t number, const MenuRecord& record) {
    if (number == AutoNumber) return reinterpret_cast<intptr_t>(&record);
    return reinterpret_cast<intptr_t>(record.title_menus);
}

// A zeroed record for a new menu, filled; null on failure (the number is released again).
MenuRecord* allocate_menu(int64_t number) {
    if (!g_menu_table.table()) return nullptr;
    MenuRecord* record = g_menu_table.allocate(number);
    if (!record) return nullptr;
    if (fill_menu_record(*record)) return record;
    const int64_t allocated = number == AutoNumber ? reinterpret_cast<intptr_t>(record) : number;
    release_menu_record(*record);
    g_menu_table.release(allocated);
    return nullptr;
}

// Moves the application menu's title item to the front of `menu`, which becomes the main menu,
// and directs the application menu's events to `window_number`.
void install_main_menu(NSMenu* menu, int64_t window_number) {
    if (!NSApp || !menu) return;
    if (NSMenuItem* title = application_menu_title_item()) {
        NSMenu* present = NSApp->mainMenu();
        if (present && present->indexOfItem(title) >= 0) present->removeItem(title);
        menu->insertItemAtIndex(title, 0);
    }
    NSApp->setMainMenu(menu);
    if (KXMenuDelegate* delegate = menu_delegate()) delegate->setWindowID(window_number);
}

// Finds the number of the first menu, in table order, that `accept` takes.
template <class Accept>
bool find_menu(Accept accept, ObjectNumber& found) {
    if (!g_menu_table.table()) return false;
    g_menu_table.rewind();
    ObjectNumber number = 0;
    while (MenuRecord* record = g_menu_table.next(&number)) {
        if (!accept(*record)) continue;
        found = number;
        return true;
    }
    return false;
}

// The application-menu numbers: direct the application menu to the current menu's window, and
// give About and Preferences their target.
void claim_application_item(int32_t item) {
    KXMenuDelegate* delegate = menu_delegate();
    if (!g_current.record || !delegate) return;
    delegate->setWindowID(NativeWindowID(g_current.record->window));
    if (item == MenuItemQuit) return;
    if (NSMenuItem* native = application_menu_item(item)) native->setTarget(delegate);
}

bool is_application_item(int32_t item) {
    return item == MenuItemQuit || item == MenuItemAbout || item == MenuItemPreferences;
}

ObjcRef<NSMenuItem> make_item(int32_t item, const MenuTitle& parsed) {
    ObjcRef<NSMenuItem> native = make_native<NSMenuItem>();
    if (!native) return {};
    native->initWithTitleActionKeyEquivalent(native_text(parsed.title).get(),
                                             sel_registerName("eventHandler:"),
                                             native_text(parsed.key_equivalent).get());
    native->setTag(item);
    native->setRepresentedObject(g_current.record->menu_object);
    native->setTarget(menu_delegate());
    native->setKeyEquivalentModifierMask(parsed.modifier_mask);
    return native;
}

NSMenuItem* find_item(int64_t menu, int32_t item) {
    return reinterpret_cast<NSMenuItem*>(FindMenuItem(menu, item));
}

KXShortcut* shortcut_at(NSMutableArray& shortcuts, NSUInteger index) {
    return static_cast<KXShortcut*>(shortcuts.objectAtIndex(index));
}

void remove_shortcut(NSMutableArray& shortcuts, int32_t code) {
    for (NSUInteger index = 0; index < shortcuts.count(); ++index) {
        if (!shortcut_at(shortcuts, index)->isKeyMatch(code)) continue;
        shortcuts.removeObjectAtIndex(index);
        return;
    }
}

// The event wait's matcher: the window's shortcuts in the order they were bound.
bool match_window_shortcut(NSEvent* event, int64_t window, int64_t& item) {
    WindowRecord* record = window_record(window);
    if (!record || !record->shortcuts) return false;
    for (NSUInteger index = 0; index < record->shortcuts->count(); ++index) {
        int32_t matched = 0;
        if (!shortcut_at(*record->shortcuts, index)->isEventMatch(event, &matched)) continue;
        item = matched;
        return true;
    }
    return false;
}

} // namespace

MenuRecord* menu_record(int64_t number) {
    return g_menu_table.lookup(number);
}

int InitMenus() {
    register_kx_menu_object_class();
    register_kx_shortcut_class();
    if (!g_menu_table.create_once(MenuTableGrowthStep, &DisposeMenu)) return 0;
    g_current = {};
    set_window_shortcut_matcher(&match_window_shortcut);
    return 1;
}

int64_t NewPopupMenu(int64_t number) {
    ObjcRef<NSMenu> menu = make_menu(u"");
    if (!menu) return 0;
    MenuRecord* record = allocate_menu(number);
    if (!record) return 0;
    record->popup_flag = 1;
    adopt_menu(*record, menu.get(), true);
    return new_menu_result(number, *record);
}

int64_t NewWindowMenu(int64_t number, int64_t window) {
    return NewWindowMenu(number, window, 0);
}

int64_t NewWindowMenu(int64_t number, int64_t window, int32_t flags) {
    auto* native_window = reinterpret_cast<NSWindow*>(window);
    if (NativeWindowID(native_window) == -1) return 0;
    ObjcRef<NSMenu> bar = make_native<NSMenu>();
    if (!bar) return 0;
    bar->initWithTitle(native_text(u"").get());
    MenuRecord* record = allocate_menu(number);
    if (!record) return 0;
    record->image_flag = (flags & MenuFlagImages) ? 1 : 0;
    record->window = ObjcRef<NSWindow>::retain(native_window).take();
    record->menu_bar = bar.take();
    // Items wait for a top-level menu.
    g_current = {record, nullptr};
    if (native_window->isKeyWindow()) InstallWindowMenu(native_window);
    return new_menu_result(number, *record);
}

int64_t AddMenuTitle(TextArg title) {
    MenuRecord* record = g_current.record;
    if (!record || record->popup_flag || !record->menu_bar) return 0;
    const std::u16string name = parse_menu_title(text_of(title)).title;
    ObjcRef<NSMenu> menu = make_menu(name);
    ObjcRef<NSMenuItem> item = make_native<NSMenuItem>();
    if (!menu || !item) return 0;
    item->initWithTitleActionKeyEquivalent(native_text(name).get(), nullptr,
                                           native_text(u"").get());
    item->setSubmenu(menu.get());
    record->menu_bar->addItem(item.get());
    adopt_menu(*record, menu.get(), true);
    return reinterpret_cast<intptr_t>(menu.get());
}

int MenuExists(int64_t number) {
    return g_menu_table.validate(number) ? 1 : 0;
}

int64_t MenuObject(int64_t number) {
    MenuRecord* record = menu_record(number);
    if (!record) return 0;
    if (!record->popup_flag) return reinterpret_cast<intptr_t>(record->menu_bar);
    return reinterpret_cast<intptr_t>(record->title_menus->firstObject());
}

int64_t AddMenuItem(int32_t item, TextArg text) {
    return AddMenuItem(item, text, 0);
}

int64_t AddMenuItem(int32_t item, TextArg text, int64_t image) {
    if (is_application_item(item)) {
        claim_application_item(item);
        return 0;
    }
    if (!g_current.menu) return 0;
    ObjcRef<NSMenuItem> native = make_item(item, parse_menu_title(text_of(text)));
    if (!native) return 0;
    if (g_current.record->image_flag) native->setImage(reinterpret_cast<NSImage*>(image));
    g_current.menu->addItem(native.get());
    return reinterpret_cast<intptr_t>(native.get());
}

void AddMenuSeparator() {
    if (g_current.menu) g_current.menu->addItem(NSMenuItem::separatorItem(nil));
}

void SetMenuItemDisabled(int64_t menu, int32_t item, int64_t state) {
    if (NSMenuItem* native = find_item(menu, item)) native->setEnabled(state == 0 ? YES : NO);
}

void ChangeMenuItemText(int64_t menu, int32_t item, TextArg text) {
    NSMenuItem* native = find_item(menu, item);
    if (!native || already_titled(*native, text_of(text))) return;
    apply_title(*native, parse_menu_title(text_of(text)));
}

int64_t FindMenuItem(int64_t menu, int32_t item) {
    MenuRecord* record = menu_record(menu);
    if (!record) return 0;
    if (is_application_item(item)) return reinterpret_cast<intptr_t>(application_menu_item(item));
    for (const ObjcRef<>& object : *record->all_menus) {
        if (NSMenuItem* found = static_cast<NSMenu*>(object.get())->itemWithTag(item))
            return reinterpret_cast<intptr_t>(found);
    }
    return 0;
}

void DisposeMenu(int64_t number) {
    if (number == AutoNumber) {
        g_menu_table.free_all();
        return;
    }
    MenuRecord* record = menu_record(number);
    if (!record) return;
    if (NSApp && record->menu_bar && NSApp->mainMenu() == record->menu_bar)
        install_main_menu(default_main_menu(), -1);
    if (g_current.record == record) g_current = {};
    release_menu_record(*record);
    g_menu_table.release(number);
}

void FreeWindowMenu(NSWindow* window) {
    ObjectNumber number = 0;
    if (!window) return;
    if (find_menu([window](const MenuRecord& record) { return record.window == window; }, number))
        DisposeMenu(number);
}

void InstallWindowMenu(NSWindow* window) {
    ObjectNumber number = 0;
    if (!window) return;
    const bool found = find_menu(
        [window](const MenuRecord& record) {
            return !record.popup_flag && record.window == window;
        },
        number);
    if (found) install_main_menu(menu_record(number)->menu_bar, NativeWindowID(window));
}

void BindMenuShortcut(int64_t window, int32_t code, int32_t item) {
    WindowRecord* record = window_record(window);
    if (!record) return;
    if (record->shortcuts) remove_shortcut(*record->shortcuts, code);
    if (!record->shortcuts) record->shortcuts = NSMutableArray::make().take();
    ObjcRef<KXShortcut> shortcut = make_native<KXShortcut>();
    if (!record->shortcuts || !shortcut) return;
    shortcut->initWithKey(code, item);
    record->shortcuts->addObject(shortcut.get());
}

void UnbindMenuShortcut(int64_t window, int32_t code) {
    WindowRecord* record = window_record(window);
    if (record && record->shortcuts) remove_shortcut(*record->shortcuts, code);
}

} // namespace rt
