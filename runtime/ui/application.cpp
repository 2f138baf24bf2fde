#include "runtime/ui/application.h"

#include "platform/appkit/ns_application.h"
#include "platform/appkit/ns_menu.h"
#include "platform/appkit/ns_menu_item.h"
#include "platform/appkit/ns_running_application.h"
#include "platform/foundation/cf_bundle.h"
#include "platform/foundation/ns_autorelease_pool.h"
#include "platform/foundation/ns_bundle.h"
#include "platform/foundation/ns_dictionary.h"
#include "platform/foundation/ns_number.h"
#include "platform/foundation/ns_string.h"
#include "platform/foundation/ns_user_defaults.h"
#include "platform/objc/selector.h"
#include "runtime/ui/native/kx_application.h"
#include "runtime/ui/native/kx_application_delegate.h"
#include "runtime/ui/native/kx_menu_delegate.h"
#include "runtime/ui/wait_event.h"

#include <cstring>
#include <string>
#include <unistd.h>

namespace rt {

namespace {

struct ApplicationObjects {
    ObjcRef<KXMenuDelegate> menu_delegate;
    ObjcRef<KXApplicationDelegate> delegate;
    ObjcRef<NSMenu> default_main_menu;
    ObjcRef<NSMenuItem> title_item;
    ObjcRef<NSMenuItem> about;
    ObjcRef<NSMenuItem> preferences;
    ObjcRef<NSMenuItem> quit;
};

ApplicationObjects g_objects;

void register_runtime_application_classes() {
    static bool registered = false;
    if (registered) return;
    register_kx_application_class();
    register_kx_application_delegate_class();
    register_kx_menu_delegate_class();
    registered = true;
}

// The last component of the executable's path.
std::u16string application_name() {
    NSString* path = NSBundle::mainBundle(nil)->executablePath();
    std::u16string_view units = units_of(path);
    size_t slash = units.rfind(u'/');
    return std::u16string(slash == std::u16string_view::npos ? units : units.substr(slash + 1));
}

ObjcRef<NSMenuItem> make_item(std::u16string_view title, const char* action,
                              std::u16string_view key) {
    ObjcRef<NSMenuItem> item = make_native<NSMenuItem>();
    item->initWithTitleActionKeyEquivalent(NSString::make(title).get(),
                                           action ? sel_registerName(action) : nullptr,
                                           NSString::make(key).get());
    return item;
}

void add_separator(NSMenu& menu) {
    menu.addItem(NSMenuItem::separatorItem(nil));
}

ObjcRef<NSMenuItem> services_item() {
    ObjcRef<NSMenuItem> item = make_item(u"Services", nullptr, u"");
    ObjcRef<NSMenu> submenu = make_native<NSMenu>();
    submenu->initWithTitle(NSString::make(u"Services").get());
    item->setSubmenu(submenu.get());
    return item;
}

// The application submenu, in the order a person knows from every application.
ObjcRef<NSMenu> application_submenu(const std::u16string& name) {
    ObjcRef<NSMenu> menu = make_native<NSMenu>();
    menu->initWithTitle(NSString::make(u"").get());
    g_objects.about = make_item(u"About " + name, "about:", u"");
    menu->addItem(g_objects.about.get());
    add_separator(*menu);
    g_objects.preferences = make_item(u"Preferences\u2026", "preferences:", u",");
    menu->addItem(g_objects.preferences.get());
    add_separator(*menu);
    menu->addItem(services_item().get());
    add_separator(*menu);
    menu->addItem(make_item(u"Hide " + name, "hide:", u"h").get());
    ObjcRef<NSMenuItem> hide_others = make_item(u"Hide Others", "hideOtherApplications:", u"h");
    hide_others->setKeyEquivalentModifierMask(0x180000);
    menu->addItem(hide_others.get());
    menu->addItem(make_item(u"Show All", "unhideAllApplications:", u"").get());
    add_separator(*menu);
    g_objects.quit = make_item(u"Quit " + name, "terminate:", u"q");
    g_objects.quit->setTarget(g_objects.menu_delegate.get());
    menu->addItem(g_objects.quit.get());
    return menu;
}

// Builds the application menu once and returns a new, empty main menu.
ObjcRef<NSMenu> build_application_menu() {
    ObjcRef<NSMenu> main_menu = make_native<NSMenu>();
    main_menu->initWithTitle(NSString::make(u"").get());
    if (g_objects.title_item) return main_menu;
    ObjcRef<NSMenu> submenu = application_submenu(application_name());
    g_objects.title_item = make_item(u"Apple", nullptr, u"");
    g_objects.title_item->setSubmenu(submenu.get());
    return main_menu;
}

// Moves the application menu's title item from the present main menu to the front of `menu`,
// which becomes the main menu.
void install_main_menu(NSApplication& application, NSMenu* menu) {
    NSMenuItem* title = g_objects.title_item.get();
    if (NSMenu* present = application.mainMenu(); present && present->indexOfItem(title) >= 0)
        present->removeItem(title);
    menu->insertItemAtIndex(title, 0);
    application.setMainMenu(menu);
}

void register_defaults() {
    ObjcRef<NSString> key = NSString::make(u"NSFunctionBarAPIEnabled");
    NSDictionary* defaults =
        NSDictionary::dictionaryWithObjectForKey(nil, NSNumber::numberWithBool(nil, NO), key.get());
    NSUserDefaults::standardUserDefaults(nil)->registerDefaults(defaults);
}

void create_delegates(NSApplication& application) {
    g_objects.menu_delegate = make_native<KXMenuDelegate>();
    g_objects.default_main_menu = build_application_menu();
    install_main_menu(application, g_objects.default_main_menu.get());
    g_objects.menu_delegate->setWindowID(-1);
    g_objects.delegate = make_native<KXApplicationDelegate>();
    application.setDelegate(g_objects.delegate.get());
}

} // namespace

int32_t BringProcessToFront() {
    NSRunningApplication::currentApplication(nil)->activateWithOptions(0);
    return 0;
}

int InitApplication() {
    register_runtime_application_classes();
    renew_main_autorelease_pool();
    register_defaults();
    NSApplication* application = KXApplication::sharedApplication(native_class<KXApplication>());
    if (!application) return 0;
    if (!application->delegate()) create_delegates(*application);
    install_application_waker();
    application->finishLaunching();
    return 1;
}

void EnterBundleContents() {
    constexpr size_t path_limit = 255;
    constexpr std::string_view contents = "/Contents";
    CFBundleRef bundle = CFBundleGetMainBundle();
    CFURLRef url = bundle ? CFBundleCopyBundleURL(bundle) : nullptr;
    if (!url) return;
    UInt8 path[path_limit] = {};
    Boolean found = CFURLGetFileSystemRepresentation(url, true, path, path_limit);
    CFRelease(url);
    if (!found) return;
    std::string folder(reinterpret_cast<const char*>(path));
    if (folder.size() + contents.size() + 1 > path_limit) return;
    folder += contents;
    (void)chdir(folder.c_str());
}

KXMenuDelegate* menu_delegate() {
    return g_objects.menu_delegate.get();
}

NSMenu* default_main_menu() {
    return g_objects.default_main_menu.get();
}

NSMenuItem* application_menu_item(int64_t number) {
    switch (number) {
    case MenuItemAbout:
        return g_objects.about.get();
    case MenuItemPreferences:
        return g_objects.preferences.get();
    case MenuItemQuit:
        return g_objects.quit.get();
    default:
        return nullptr;
    }
}

NSMenuItem* application_menu_title_item() {
    return g_objects.title_item.get();
}

} // namespace rt
