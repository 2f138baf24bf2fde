#include "runtime/ui/menu_records.h"

#include "platform/appkit/ns_event.h"
#include "platform/appkit/ns_menu.h"
#include "platform/appkit/ns_menu_item.h"
#include "platform/foundation/ns_array.h"
#include "platform/foundation/ns_string.h"
#include "runtime/ui/menu_title.h"
#include "runtime/ui/native/kx_menu_delegate.h"
#include "runtime/ui/native/kx_shortcut.h"
#include "tests/runtime/ui/runtime_window_test.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <tuple>

namespace rt {
namespace {

constexpr int32_t command_i = 524393; // Command + "i"

NSMenuItem* item_of(int64_t handle) {
    return reinterpret_cast<NSMenuItem*>(handle);
}

class MenusTest : public RuntimeWindowTest {
  protected:
    void SetUp() override {
        RuntimeWindowTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_EQ(InitMenus(), 1);
    }
    void TearDown() override {
        DisposeMenu(AutoNumber);
        for (int64_t item : {MenuItemQuit, MenuItemAbout, MenuItemPreferences}) {
            application_menu_item(item)->setEnabled(YES);
            application_menu_item(item)->setTarget(item == MenuItemQuit ? menu_delegate() : nil);
        }
        RuntimeWindowTest::TearDown();
    }
    static void open_window() { ASSERT_NE(NewWindow(1, 0, 0, 320, 290, u"Menus", 68), 0); }

    // Chooses the items as the window system does (each action goes to its target) and returns
    // the menu events queued since, as "item/window " texts.
    static std::string choose(std::initializer_list<int64_t> items) {
        RemoveQueuedEvents(-1, -1, -1, -1);
        for (int64_t handle : items) {
            if (NSMenuItem* item = item_of(handle))
                NSApp->sendActionToFrom(item->action(), item->target(), item);
        }
        std::string events;
        while (TakeEvent() != EventKindNone) {
            const CurrentEvent& event = current_event();
            if (event.kind == EventKindMenu)
                events += std::to_string(event.object) + "/" + std::to_string(event.window) + " ";
        }
        return events;
    }
};

TEST_F(MenusTest, BindingACodeAgainKeepsOnlyTheNewestShortcut) {
    open_window();
    BindMenuShortcut(1, command_i, 556);
    BindMenuShortcut(1, command_i | 0x10000, 557);
    BindMenuShortcut(1, command_i, 558);
    NSMutableArray* shortcuts = window_record(1)->shortcuts;
    auto item_at = [&](NSUInteger at) {
        return static_cast<KXShortcut*>(shortcuts->objectAtIndex(at))->item();
    };
    ASSERT_EQ(shortcuts->count(), 2u);
    EXPECT_EQ(std::tuple(item_at(0), item_at(1)), std::tuple(557, 558));
    UnbindMenuShortcut(1, command_i | 0x10000);
    ASSERT_EQ(shortcuts->count(), 1u);
    EXPECT_EQ(item_at(0), 558);
    BindMenuShortcut(1, 352, 559); // F5: matched by its key code alone
    NSEvent* f5 =
        NSEvent::keyEventWithType(nil, NSEventTypeKeyDown, {}, 0, 0, 0, nil, nil, nil, NO, 96);
    EXPECT_EQ(static_cast<KXShortcut*>(shortcuts->objectAtIndex(1))->isEventMatch(f5, nullptr),
              YES);
    // A letter's shortcut asks for its modifiers too, and names its item.
    auto key_i = [](NSUInteger flags) {
        ObjcRef<NSString> i = NSString::make(u"i");
        return NSEvent::keyEventWithType(nil, NSEventTypeKeyDown, {}, flags, 0, 0, nil, i.get(),
                                         i.get(), NO, 34);
    };
    int32_t item = 0;
    auto* newest = static_cast<KXShortcut*>(shortcuts->objectAtIndex(0));
    EXPECT_EQ(newest->isEventMatch(key_i(NSEventModifierFlagCommand), &item), YES);
    EXPECT_EQ(item, 558);
    EXPECT_EQ(newest->isEventMatch(key_i(0), &item), NO);
    BindMenuShortcut(2, command_i, 556); // no such window: nothing happens
}

TEST_F(MenusTest, TheApplicationMenuItemsAreReachableThroughAnyMenu) {
    SetMenuItemDisabled(0, MenuItemQuit, 1); // no menu 0 yet: nothing happens
    EXPECT_EQ(application_menu_item(MenuItemQuit)->isEnabled(), YES);
    ASSERT_NE(NewPopupMenu(0), 0);
    SetMenuItemDisabled(0, MenuItemQuit, 1);
    EXPECT_EQ(application_menu_item(MenuItemQuit)->isEnabled(), NO);
    const auto about = reinterpret_cast<intptr_t>(application_menu_item(MenuItemAbout));
    EXPECT_EQ(FindMenuItem(0, MenuItemAbout), about);
    // Adding an application item's number gives that item its target instead.
    EXPECT_EQ(AddMenuItem(MenuItemAbout, u"About"), 0);
    EXPECT_EQ(reinterpret_cast<NSMenu*>(MenuObject(0))->numberOfItems(), 0);
    EXPECT_EQ(application_menu_item(MenuItemPreferences)->target(), nil);
    EXPECT_EQ(choose({about}), "-3/-1 ");
    AddMenuItem(MenuItemPreferences, u"Settings...");
    EXPECT_EQ(choose({FindMenuItem(0, MenuItemPreferences)}), "-2/-1 ");
}

TEST_F(MenusTest, ChoosingAPopUpMenuItemPostsItsNumberWithWindowZero) {
    ASSERT_NE(NewPopupMenu(0), 0);
    AddMenuItem(1, u"Currently on AC Power");
    AddMenuSeparator();
    const int64_t info = AddMenuItem(3, u"Show Battery Information...\tCmd+I");
    AddMenuItem(-7, u"Negative");
    auto* menu = reinterpret_cast<NSMenu*>(MenuObject(0));
    EXPECT_EQ(std::tuple(menu->autoenablesItems(), menu->numberOfItems(),
                         menu->itemAtIndex(1)->isSeparatorItem(), FindMenuItem(0, 3)),
              std::tuple(NO, 4, YES, info));
    EXPECT_EQ(units_of(item_of(info)->keyEquivalent()), u"i");
    EXPECT_EQ(choose({info, FindMenuItem(0, -7)}), "3/0 -7/0 ");
}

TEST_F(MenusTest, ChangingAnItemsTextReplacesTitleKeyAndModifiers) {
    ASSERT_NE(NewPopupMenu(0), 0);
    NSMenuItem* item = item_of(AddMenuItem(9, u"Quit\tCmd+Q"));
    ChangeMenuItemText(0, 9, u"Reload\tCtrl+F5");
    EXPECT_EQ(std::tuple(units_of(item->title()), units_of(item->keyEquivalent()),
                         item->keyEquivalentModifierMask()),
              std::tuple(u"Reload", u"\uF708", NSEventModifierFlagControl));
    ChangeMenuItemText(0, 9, u"&Battery");
    ChangeMenuItemText(0, 10, u"No such item");
    ChangeMenuItemText(1, 9, u"No such menu");
    EXPECT_EQ(std::tuple(units_of(item->title()), units_of(item->keyEquivalent()),
                         item->keyEquivalentModifierMask()),
              std::tuple(u"Battery", u"", 0u));
}

// Freeing a menu, or creating its number again, leaves its items posting nothing.
TEST_F(MenusTest, AFreedMenuTakesNoMoreItemsAndItsItemsReportNothing) {
    const int64_t number = NewPopupMenu(AutoNumber);
    ObjcRef<NSMenuItem> kept = ObjcRef<NSMenuItem>::retain(item_of(AddMenuItem(4, u"Kept")));
    DisposeMenu(number);
    EXPECT_EQ(MenuExists(number), 0);
    EXPECT_EQ(AddMenuItem(5, u"Nowhere"), 0);
    ASSERT_NE(NewPopupMenu(0), 0);
    ObjcRef<NSMenuItem> old = ObjcRef<NSMenuItem>::retain(item_of(AddMenuItem(1, u"Old")));
    ASSERT_NE(NewPopupMenu(0), 0);
    EXPECT_EQ(FindMenuItem(0, 1), 0);
    EXPECT_EQ(
        choose({reinterpret_cast<intptr_t>(kept.get()), reinterpret_cast<intptr_t>(old.get())}),
        "");
}

// Window menu bars: the main menu while their window is key, items reporting that window.
TEST_F(MenusTest, AWindowMenuBarIsTheMainMenuWhileItsWindowIsKey) {
    EXPECT_EQ(NewWindowMenu(2, 0), 0); // a menu bar needs a runtime window
    open_window();
    EXPECT_EQ(AddMenuTitle(u"File"), 0); // no menu bar is current yet
    ASSERT_NE(NewWindowMenu(2, WindowObject(1)), 0);
    auto* bar = reinterpret_cast<NSMenu*>(MenuObject(2));
    EXPECT_EQ(std::tuple(NSApp->mainMenu(), bar->itemAtIndex(0), menu_delegate()->window_id()),
              std::tuple(bar, application_menu_title_item(), 1));

    ASSERT_NE(AddMenuTitle(u"&File"), 0);
    AddMenuItem(7, u"Open\tCmd+O");
    EXPECT_EQ(choose({FindMenuItem(2, 7)}), "7/1 ");
    ASSERT_NE(NewWindow(3, 0, 0, 90, 90, u"Other", 68), 0); // takes key status
    NSApp->setMainMenu(default_main_menu());
    reinterpret_cast<NSWindow*>(WindowObject(1))->makeKeyWindow();
    EXPECT_EQ(NSApp->mainMenu(), bar);

    DisposeWindow(1);
    EXPECT_EQ(std::tuple(MenuExists(2), NSApp->mainMenu(), menu_delegate()->window_id(),
                         default_main_menu()->itemAtIndex(0)),
              std::tuple(0, default_main_menu(), -1, application_menu_title_item()));
}

// A parsed title as "title|key|modifier mask in hex".
std::u16string shown(const MenuTitle& title) {
    char mask[24];
    std::snprintf(mask, sizeof mask, "|%llx", static_cast<unsigned long long>(title.modifier_mask));
    return title.title + u"|" + title.key_equivalent +
           std::u16string(mask, mask + std::strlen(mask));
}

TEST(MenuTitle, SplitsTheTitleFromItsShortcutTextAfterDroppingEveryAmpersand) {
    const std::tuple<std::u16string, std::u16string> cases[] = {
        {u"Quit Zerarazi\tcmd+q", u"Quit Zerarazi|q|100000"},
        {u"Quit Zerarazi\tCMD+Q", u"Quit Zerarazi|q|100000"},
        {u"Reload\tCMD+SHIFT+F5", u"Reload|\uF708|120000"},
        {u"First\tf1", u"First|\uF704|0"},
        {u"Last\tF12", u"Last|\uF70F|0"},
        {u"Beyond\tF13", u"Beyond|f13|0"},
        {u"Odd\tCtrl+Alt+X", u"Odd|x|c0000"},
        {u"Twice\tcmd+cmd+k", u"Twice|k|100000"},
        {u"Last key wins\ta+cmd+b", u"Last key wins|b|100000"},
        {u"Second tab\tcmd+g\tcmd+shift+h", u"Second tab|g|100000"},
        {u"Modifiers only\tshift", u"Modifiers only||20000"},
        {u"Empty shortcut\t", u"Empty shortcut||0"},
        {u"Comma\tcmd+,", u"Comma|,|100000"},
        {u"Save &As...", u"Save As...||0"},
        {u"&&Both&", u"Both||0"},
        {u"&Open\t&Cmd+&O", u"Open|o|100000"},
        {u"&", u"||0"},
        {u"", u"||0"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(shown(parse_menu_title(text)), expected);
}

} // namespace
} // namespace rt
