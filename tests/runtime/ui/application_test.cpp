#include "runtime/ui/application.h"

#include "platform/appkit/ns_menu.h"
#include "platform/appkit/ns_menu_item.h"
#include "platform/foundation/ns_bundle.h"
#include "platform/foundation/ns_string.h"
#include "platform/foundation/ns_user_defaults.h"
#include "platform/objc/message_send.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/native/kx_application.h"
#include "runtime/ui/native/kx_application_delegate.h"
#include "runtime/ui/native/kx_menu_delegate.h"
#include "tests/support/driver_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

using namespace rt;

std::u16string executable_name() {
    std::u16string_view path = units_of(NSBundle::mainBundle(nil)->executablePath());
    return std::u16string(path.substr(path.rfind(u'/') + 1));
}

struct ItemCase {
    std::u16string title; // empty for a separator
    const char* action;   // null: none
    std::u16string key;
    NSUInteger modifiers;
};

TEST(InitApplication, BuildsTheApplicationMenuInFrontOfTheMainMenu) {
    DriverSession session("");
    ASSERT_EQ(InitApplication(), 1);
    NSMenu* main_menu = NSApp->mainMenu();
    ASSERT_EQ(main_menu, default_main_menu());
    ASSERT_GE(main_menu->numberOfItems(), 1);
    NSMenuItem* title = main_menu->itemAtIndex(0);
    EXPECT_EQ(title, application_menu_title_item());
    EXPECT_EQ(units_of(title->title()), u"Apple");

    const std::u16string name = executable_name();
    const NSUInteger command = 0x100000;
    const ItemCase expected[] = {
        {u"About " + name, "about:", u"", command},
        {u"", nullptr, u"", 0},
        {u"Preferences\u2026", "preferences:", u",", command},
        {u"", nullptr, u"", 0},
        {u"Services", nullptr, u"", command},
        {u"", nullptr, u"", 0},
        {u"Hide " + name, "hide:", u"h", command},
        {u"Hide Others", "hideOtherApplications:", u"h", 0x180000},
        {u"Show All", "unhideAllApplications:", u"", command},
        {u"", nullptr, u"", 0},
        {u"Quit " + name, "terminate:", u"q", command},
    };
    NSMenu* submenu = title->submenu();
    ASSERT_NE(submenu, nullptr);
    ASSERT_EQ(submenu->numberOfItems(), static_cast<NSInteger>(std::size(expected)));
    for (NSInteger index = 0; index < submenu->numberOfItems(); ++index) {
        NSMenuItem* item = submenu->itemAtIndex(index);
        const ItemCase& want = expected[index];
        if (want.title.empty()) {
            EXPECT_TRUE(item->isSeparatorItem()) << "item " << index;
            continue;
        }
        EXPECT_EQ(units_of(item->title()), want.title) << "item " << index;
        EXPECT_EQ(item->action(), want.action ? sel_registerName(want.action) : nullptr)
            << "item " << index;
        EXPECT_EQ(units_of(item->keyEquivalent()), want.key) << "item " << index;
        if (!want.key.empty()) {
            EXPECT_EQ(item->keyEquivalentModifierMask(), want.modifiers) << "item " << index;
        }
    }
    EXPECT_EQ(submenu->itemAtIndex(10), application_menu_item(MenuItemQuit));
    EXPECT_EQ(application_menu_item(MenuItemQuit)->target(), menu_delegate());
    EXPECT_EQ(application_menu_item(MenuItemAbout)->target(), nullptr);
    EXPECT_EQ(units_of(application_menu_item(MenuItemPreferences)->title()), u"Preferences\u2026");
}

TEST(InitApplication, MakesTheRuntimeApplicationAndDelegatesOnce) {
    DriverSession session("");
    ASSERT_EQ(InitApplication(), 1);
    id delegate = NSApp->delegate();
    NSMenu* menu = NSApp->mainMenu();
    ASSERT_EQ(InitApplication(), 1);
    EXPECT_NE(dynamic_cast<KXApplication*>(NSApp), nullptr);
    EXPECT_NE(dynamic_cast<KXApplicationDelegate*>(delegate), nullptr);
    EXPECT_EQ(NSApp->delegate(), delegate);
    EXPECT_EQ(NSApp->mainMenu(), menu);
    ObjcRef<NSString> key = NSString::make(u"NSFunctionBarAPIEnabled");
    NSUserDefaults* defaults = NSUserDefaults::standardUserDefaults(nil);
    EXPECT_NE(defaults->objectForKey(key.get()), nil);
    EXPECT_EQ(defaults->integerForKey(key.get()), 0);
    // A test program's bundle is its own folder, which has no Contents folder: it stays put.
    const std::filesystem::path before = std::filesystem::current_path();
    EnterBundleContents();
    EXPECT_EQ(std::filesystem::current_path(), before);
}

TEST(MenuDelegate, PostsTheApplicationMenuItemsWithItsWindow) {
    DriverSession session("");
    ASSERT_EQ(InitApplication(), 1);
    ASSERT_EQ(InitEvents(), 1);
    struct Case {
        const char* action;
        int64_t window;
        int64_t item;
    } cases[] = {{"preferences:", -1, MenuItemPreferences},
                 {"about:", 3, MenuItemAbout},
                 {"terminate:", 3, MenuItemQuit}};
    for (const Case& c : cases) {
        menu_delegate()->setWindowID(c.window);
        msg_send<void>(menu_delegate(), c.action, static_cast<id>(nil));
        ASSERT_EQ(TakeEvent(), EventKindMenu) << c.action;
        EXPECT_EQ(CurrentEventMenu(), c.item) << c.action;
        EXPECT_EQ(current_event().window, c.window) << c.action;
    }
    menu_delegate()->setWindowID(-1);
}

} // namespace
