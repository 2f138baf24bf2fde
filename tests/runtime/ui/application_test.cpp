#include "runtime/ui/application.h"

#include "platform/appkit/ns_menu.h"
#include "platform/appkit/ns_menu_item.h"
#include "platform/foundation/ns_bundle.h"
#include "platform/foundation/ns_string.h"
#include "platform/foundation/ns_user_defaults.h"
#include "platform/objc/selector.h"
#include "runtime/ui/native/kx_application.h"
#include "runtime/ui/native/kx_application_delegate.h"
#include "runtime/ui/native/kx_menu_delegate.h"
#include "tests/support/driver_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

namespace {

using namespace rt;

std::string executable_name() {
    const std::string path = NSBundle::mainBundle(nil)->executablePath()->utf8();
    return path.substr(path.rfind('/') + 1);
}

// An item as "title|action|key|modifiers in hex", the modifiers only with a key; "-" for a
// separator.
std::string item_text(NSMenuItem* item) {
    if (item->isSeparatorItem()) return "-";
    std::ostringstream text;
    text << item->title()->utf8() << "|" << (item->action() ? sel_getName(item->action()) : "")
         << "|" << item->keyEquivalent()->utf8() << "|";
    if (item->keyEquivalent()->length()) text << std::hex << item->keyEquivalentModifierMask();
    return text.str();
}

TEST(InitApplication, BuildsTheApplicationMenuInFrontOfTheMainMenu) {
    DriverSession session("");
    ASSERT_EQ(InitApplication(), 1);
    NSMenu* main_menu = NSApp->mainMenu();
    ASSERT_EQ(main_menu, default_main_menu());
    NSMenuItem* title = main_menu->itemAtIndex(0);
    EXPECT_EQ(title, application_menu_title_item());
    EXPECT_EQ(units_of(title->title()), u"Apple");
    NSMenu* submenu = title->submenu();
    ASSERT_NE(submenu, nullptr);
    std::string items;
    for (NSInteger index = 0; index < submenu->numberOfItems(); ++index)
        items += item_text(submenu->itemAtIndex(index)) + ";";
    const std::string name = executable_name();
    EXPECT_EQ(items, "About " + name + "|about:||;-;Preferences\u2026|preferences:|,|100000;-;" +
                         "Services|||;-;Hide " + name + "|hide:|h|100000;" +
                         "Hide Others|hideOtherApplications:|h|180000;" +
                         "Show All|unhideAllApplications:||;-;Quit " + name +
                         "|terminate:|q|100000;");
    EXPECT_EQ(submenu->itemAtIndex(10), application_menu_item(MenuItemQuit));
    EXPECT_EQ(application_menu_item(MenuItemQuit)->target(), menu_delegate());
    EXPECT_EQ(application_menu_item(MenuItemAbout)->target(), nullptr);
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
    EXPECT_NE(NSUserDefaults::standardUserDefaults(nil)->objectForKey(key.get()), nil);
    // A test program's bundle is its own folder, which has no Contents folder: it stays put.
    const std::filesystem::path before = std::filesystem::current_path();
    EnterBundleContents();
    EXPECT_EQ(std::filesystem::current_path(), before);
}

} // namespace
