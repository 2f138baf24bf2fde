#include "runtime/ui/menu_records.h"

#include "platform/appkit/ns_application.h"
#include "platform/appkit/ns_event.h"
#include "platform/appkit/ns_image.h"
#include "platform/appkit/ns_menu.h"
#include "platform/appkit/ns_menu_item.h"
#include "platform/appkit/ns_window.h"
#include "platform/foundation/ns_array.h"
#include "platform/foundation/ns_string.h"
#include "platform/objc/message_send.h"
#include "runtime/ui/application.h"
#include "runtime/ui/event_pump.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/native/kx_menu_delegate.h"
#include "runtime/ui/native/kx_shortcut.h"
#include "runtime/ui/wait_event.h"
#include "runtime/ui/window_records.h"
#include "tests/support/driver_session.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace rt;

constexpr int32_t command_i = 524393; // Command + "i"

struct MenuEvent {
    int64_t item;
    int64_t window;
    bool operator==(const MenuEvent&) const = default;
};

std::ostream& operator<<(std::ostream& out, const MenuEvent& event) {
    return out << "{item " << event.item << ", window " << event.window << "}";
}

// The menu events waiting in the queue; other kinds are dropped.
std::vector<MenuEvent> take_menu_events() {
    std::vector<MenuEvent> taken;
    while (TakeEvent() != EventKindNone) {
        const CurrentEvent& event = current_event();
        if (event.kind == EventKindMenu) taken.push_back({event.object, event.window});
    }
    return taken;
}

// The next runtime event other than a repaint, or 0 when a wait times out first.
int32_t next_runtime_event(int32_t milliseconds) {
    for (;;) {
        int32_t kind = WaitEventTimeout(milliseconds);
        if (kind != PumpNoRuntimeEvent && kind != EventKindRepaint) return kind;
    }
}

// Chooses an item as the window system does: its action goes to its target.
void choose(int64_t item) {
    auto* native = reinterpret_cast<NSMenuItem*>(item);
    ASSERT_NE(native, nullptr);
    NSApp->sendActionToFrom(native->action(), native->target(), native);
}

NSMenuItem* item_of(int64_t handle) {
    return reinterpret_cast<NSMenuItem*>(handle);
}

class MenusTest : public testing::Test {
  protected:
    void start(const std::string& script) {
        m_session.emplace(script);
        ASSERT_EQ(InitApplication(), 1);
        ASSERT_EQ(InitEvents(), 1);
        ASSERT_EQ(InitWindows(), 1);
        ASSERT_EQ(InitMenus(), 1);
    }
    void TearDown() override {
        DisposeMenu(AutoNumber);
        DisposeWindow(AutoNumber);
        for (int64_t item : {MenuItemQuit, MenuItemAbout, MenuItemPreferences}) {
            application_menu_item(item)->setEnabled(YES);
            application_menu_item(item)->setTarget(item == MenuItemQuit ? menu_delegate() : nil);
        }
        while (next_runtime_event(0) != PumpTimedOut) {
        }
    }

    // Opens window 1, key and visible, and drops the events of its opening.
    void open_window() {
        ASSERT_NE(NewWindow(1, 0, 0, 320, 290, u"Menus", 68), 0);
        take_menu_events();
    }

    std::optional<DriverSession> m_session;
};

TEST_F(MenusTest, BindingACodeAgainKeepsOnlyTheNewestShortcut) {
    start("");
    open_window();
    BindMenuShortcut(1, command_i, 556);
    BindMenuShortcut(1, command_i | 0x10000, 557);
    BindMenuShortcut(1, command_i, 558);
    NSMutableArray* shortcuts = window_record(1)->shortcuts;
    ASSERT_EQ(shortcuts->count(), 2u);
    EXPECT_EQ(static_cast<KXShortcut*>(shortcuts->objectAtIndex(0))->item(), 557);
    EXPECT_EQ(static_cast<KXShortcut*>(shortcuts->objectAtIndex(1))->item(), 558);
    UnbindMenuShortcut(1, command_i | 0x10000);
    ASSERT_EQ(shortcuts->count(), 1u);
    EXPECT_EQ(static_cast<KXShortcut*>(shortcuts->objectAtIndex(0))->item(), 558);
    BindMenuShortcut(2, command_i, 556); // no such window
    EXPECT_EQ(window_record(2), nullptr);
}

TEST_F(MenusTest, TheApplicationMenuItemsAreReachableThroughAnyMenu) {
    start("");
    SetMenuItemDisabled(0, MenuItemQuit, 1); // no menu 0 yet: nothing happens
    EXPECT_EQ(application_menu_item(MenuItemQuit)->isEnabled(), YES);
    ASSERT_NE(NewPopupMenu(0), 0);
    SetMenuItemDisabled(0, MenuItemQuit, 1);
    EXPECT_EQ(application_menu_item(MenuItemQuit)->isEnabled(), NO);
    NSMenuItem* about = application_menu_item(MenuItemAbout);
    EXPECT_EQ(FindMenuItem(0, MenuItemAbout), reinterpret_cast<intptr_t>(about));
    // Adding an application item's number gives that item its target instead.
    EXPECT_EQ(AddMenuItem(MenuItemAbout, u"About"), 0);
    EXPECT_EQ(reinterpret_cast<NSMenu*>(MenuObject(0))->numberOfItems(), 0);
    EXPECT_EQ(about->target(), static_cast<id>(menu_delegate()));
    EXPECT_EQ(application_menu_item(MenuItemPreferences)->target(), nil);
    choose(reinterpret_cast<intptr_t>(about));
    EXPECT_EQ(take_menu_events(), (std::vector<MenuEvent>{{MenuItemAbout, -1}}));
}

TEST_F(MenusTest, ChoosingAPopUpMenuItemPostsItsNumberWithWindowZero) {
    start("");
    ASSERT_NE(NewPopupMenu(0), 0);
    AddMenuItem(1, u"Currently on AC Power");
    AddMenuSeparator();
    const int64_t info = AddMenuItem(3, u"Show Battery Information...\tCmd+I");
    AddMenuItem(-7, u"Negative");
    auto* menu = reinterpret_cast<NSMenu*>(MenuObject(0));
    EXPECT_EQ(menu->autoenablesItems(), NO);
    ASSERT_EQ(menu->numberOfItems(), 4);
    EXPECT_EQ(menu->itemAtIndex(1)->isSeparatorItem(), YES);
    EXPECT_EQ(FindMenuItem(0, 3), info);
    EXPECT_EQ(units_of(item_of(info)->keyEquivalent()), u"i");
    choose(info);
    choose(FindMenuItem(0, -7));
    EXPECT_EQ(take_menu_events(), (std::vector<MenuEvent>{{3, 0}, {-7, 0}}));
}

TEST_F(MenusTest, ChangingAnItemsTextReplacesTitleKeyAndModifiers) {
    start("");
    ASSERT_NE(NewPopupMenu(0), 0);
    NSMenuItem* item = item_of(AddMenuItem(9, u"Quit\tCmd+Q"));
    ChangeMenuItemText(0, 9, u"Reload\tCtrl+F5");
    EXPECT_EQ(units_of(item->title()), u"Reload");
    EXPECT_EQ(units_of(item->keyEquivalent()), u"\uF708");
    EXPECT_EQ(item->keyEquivalentModifierMask(), NSEventModifierFlagControl);
    ChangeMenuItemText(0, 9, u"&Battery");
    ChangeMenuItemText(0, 10, u"No such item");
    ChangeMenuItemText(1, 9, u"No such menu");
    EXPECT_EQ(units_of(item->title()), u"Battery");
    EXPECT_EQ(units_of(item->keyEquivalent()), u"");
    EXPECT_EQ(item->keyEquivalentModifierMask(), 0u);
}

// Freeing a menu, or creating its number again, leaves its items posting nothing.
TEST_F(MenusTest, AFreedMenuTakesNoMoreItemsAndItsItemsReportNothing) {
    start("");
    const int64_t number = NewPopupMenu(AutoNumber);
    ObjcRef<NSMenuItem> kept = ObjcRef<NSMenuItem>::retain(item_of(AddMenuItem(4, u"Kept")));
    DisposeMenu(number);
    EXPECT_EQ(MenuExists(number), 0);
    EXPECT_EQ(AddMenuItem(5, u"Nowhere"), 0);
    ASSERT_NE(NewPopupMenu(0), 0);
    ObjcRef<NSMenuItem> old = ObjcRef<NSMenuItem>::retain(item_of(AddMenuItem(1, u"Old")));
    ASSERT_NE(NewPopupMenu(0), 0);
    EXPECT_EQ(FindMenuItem(0, 1), 0);
    choose(reinterpret_cast<intptr_t>(kept.get()));
    choose(reinterpret_cast<intptr_t>(old.get()));
    EXPECT_TRUE(take_menu_events().empty());
}

TEST_F(MenusTest, AWindowMenuBarIsTheMainMenuWhileItsWindowIsKey) {
    start("");
    EXPECT_EQ(NewWindowMenu(2, 0), 0); // a menu bar needs a runtime window
    EXPECT_EQ(MenuExists(2), 0);
    open_window();
    EXPECT_EQ(AddMenuTitle(u"File"), 0); // no menu bar is current yet
    ASSERT_NE(NewWindowMenu(2, WindowObject(1)), 0);
    auto* bar = reinterpret_cast<NSMenu*>(MenuObject(2));
    EXPECT_EQ(NSApp->mainMenu(), bar);
    EXPECT_EQ(bar->itemAtIndex(0), application_menu_title_item());
    EXPECT_EQ(menu_delegate()->window_id(), 1);
    DisposeWindow(1);
    EXPECT_EQ(MenuExists(2), 0);
    EXPECT_EQ(NSApp->mainMenu(), default_main_menu());
    EXPECT_EQ(default_main_menu()->itemAtIndex(0), application_menu_title_item());
    EXPECT_EQ(menu_delegate()->window_id(), -1);
}

TEST_F(MenusTest, AMenuBarItemReportsItsWindowUnlessTheWindowIsDisabled) {
    start("");
    open_window();
    ASSERT_NE(NewWindowMenu(2, WindowObject(1)), 0);
    ASSERT_NE(AddMenuTitle(u"&File"), 0);
    AddMenuItem(7, u"Open\tCmd+O");
    ASSERT_NE(AddMenuTitle(u"Edit"), 0);
    const int64_t copy = AddMenuItem(8, u"Copy\tCmd+C");
    EXPECT_EQ(FindMenuItem(2, 8), copy); // found in the second top-level menu
    SetMenuItemDisabled(2, 8, 1);
    EXPECT_EQ(item_of(copy)->isEnabled(), NO);
    choose(FindMenuItem(2, 7));
    EXPECT_EQ(take_menu_events(), (std::vector<MenuEvent>{{7, 1}}));
    window_record(1)->disabled = 1;
    choose(FindMenuItem(2, 7));
    EXPECT_TRUE(take_menu_events().empty());
    window_record(1)->disabled = 0;
}

TEST_F(MenusTest, OnlyImageMenusGiveTheirItemsImages) {
    start("");
    open_window();
    ObjcRef<NSImage> image = make_native<NSImage>();
    image->initWithSize(NSMakeSize(16, 16));
    const auto handle = reinterpret_cast<intptr_t>(image.get());
    ASSERT_NE(NewPopupMenu(0), 0);
    EXPECT_EQ(item_of(AddMenuItem(1, u"Plain", handle))->image(), nullptr);
    ASSERT_NE(NewWindowMenu(2, WindowObject(1), MenuFlagImages), 0);
    ASSERT_NE(AddMenuTitle(u"View"), 0);
    EXPECT_EQ(item_of(AddMenuItem(2, u"Pictured", handle))->image(), image.get());
    EXPECT_EQ(item_of(AddMenuItem(3, u"Without"))->image(), nullptr);
}

} // namespace
