#include "runtime/ui/application.h"

#include "platform/appkit/ns_event.h"
#include "platform/appkit/ns_menu.h"
#include "platform/appkit/ns_menu_item.h"
#include "platform/foundation/ns_bundle.h"
#include "platform/foundation/ns_string.h"
#include "platform/foundation/ns_user_defaults.h"
#include "runtime/core/dates.h"
#include "runtime/core/images.h"
#include "runtime/core/object_table.h"
#include "runtime/ui/native/kx_application.h"
#include "runtime/ui/native/kx_application_delegate.h"
#include "runtime/ui/native/kx_menu_delegate.h"
#include "runtime/ui/runtime_lifecycle.h"
#include "tests/support/driver_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace rt {
namespace {

std::string executable_name() {
    const std::string path = NSBundle::mainBundle(nil)->executablePath()->utf8();
    return path.substr(path.rfind('/') + 1);
}

// The items the runtime reaches by number sit where the menu's layout puts them.
TEST(InitApplication, BuildsTheApplicationMenuInFrontOfTheMainMenu) {
    DriverSession session("");
    ASSERT_EQ(InitApplication(), 1);
    NSMenuItem* title = NSApp->mainMenu()->itemAtIndex(0);
    ASSERT_EQ(NSApp->mainMenu(), default_main_menu());
    EXPECT_EQ(std::tuple(title, units_of(title->title())),
              std::tuple(application_menu_title_item(), u"Apple"));
    NSMenu* submenu = title->submenu();
    ASSERT_NE(submenu, nullptr);
    ASSERT_EQ(submenu->numberOfItems(), 11);
    NSMenuItem* quit = application_menu_item(MenuItemQuit);
    EXPECT_EQ(std::tuple(submenu->itemAtIndex(10), quit->target(), quit->title()->utf8(),
                         quit->keyEquivalent()->utf8(), quit->keyEquivalentModifierMask()),
              std::tuple(quit, menu_delegate(), "Quit " + executable_name(), "q",
                         NSEventModifierFlagCommand));
    EXPECT_EQ(application_menu_item(MenuItemAbout)->target(), nullptr);
    EXPECT_EQ(units_of(application_menu_item(MenuItemPreferences)->keyEquivalent()), u",");
}

TEST(InitApplication, MakesTheRuntimeApplicationAndDelegatesOnce) {
    DriverSession session("");
    ASSERT_EQ(InitApplication(), 1);
    id delegate = NSApp->delegate();
    NSMenu* menu = NSApp->mainMenu();
    ASSERT_EQ(InitApplication(), 1);
    EXPECT_NE(dynamic_cast<KXApplication*>(NSApp), nullptr);
    EXPECT_NE(dynamic_cast<KXApplicationDelegate*>(delegate), nullptr);
    EXPECT_EQ(std::tuple(NSApp->delegate(), NSApp->mainMenu()), std::tuple(delegate, menu));
    ObjcRef<NSString> key = NSString::make(u"NSFunctionBarAPIEnabled");
    EXPECT_NE(NSUserDefaults::standardUserDefaults(nil)->objectForKey(key.get()), nil);
    // A test program's bundle is its own folder, which has no Contents folder: it stays put.
    const std::filesystem::path before = std::filesystem::current_path();
    EnterBundleContents();
    EXPECT_EQ(std::filesystem::current_path(), before);
}

TEST(RuntimeLifecycle, EndLetsGoOfWhatTheLibrariesHoldAndStartCanRunAgain) {
    char name[] = "runtime_lifecycle_test";
    char* arguments[] = {name, nullptr};
    ASSERT_EQ(StartRuntime(1, arguments), 1);
    EXPECT_EQ(std::tuple(program_argument_count(), program_arguments()[0], dates_ready()),
              std::tuple(1, name, true));
    ASSERT_NE(NewImage(3, 4, 4, 32, -1), 0);

    EndRuntime();
    EXPECT_EQ(std::tuple(dates_ready(), ImageHandle(3)), std::tuple(false, 0));

    ASSERT_EQ(StartRuntime(1, arguments), 1);
    EXPECT_TRUE(dates_ready());
    EndRuntime();
}

} // namespace
} // namespace rt
