#include "platform/appkit/ns_status_item.h"

#include "platform/appkit/ns_event.h"
#include "platform/appkit/ns_menu_item.h"
#include "platform/appkit/ns_status_bar.h"
#include "platform/appkit/status_item_snapshots.h"
#include "tests/platform/foundation/timer_test_support.h"
#include "tests/support/driver_session.h"

#include <gtest/gtest.h>

namespace {

NSMenuItem* add_status_menu_item(NSMenu* menu, const char16_t* title, NSInteger tag,
                                 const char16_t* key = u"") {
    ObjcRef<NSMenuItem> item = make_native<NSMenuItem>();
    item->initWithTitleActionKeyEquivalent(NSString::make(title).get(), nullptr,
                                           NSString::make(key).get());
    item->setTag(tag);
    menu->addItem(item.get());
    return item.get();
}

// Texts are converted again only when they change; one that went away is converted again
// however it comes back.
TEST(StatusItemSnapshots, FollowTheItemThroughEveryChangeAndBack) {
    AutoreleasePoolScope pool;
    ObjcRef<NSStatusItem> item = make_native<NSStatusItem>();
    ObjcRef<NSMenu> menu = make_native<NSMenu>();
    NSMenuItem* quit = add_status_menu_item(menu.get(), u"Quit", 9, u"q");
    quit->setKeyEquivalentModifierMask(NSEventModifierFlagCommand | NSEventModifierFlagOption);
    // A mask means nothing without a key.
    add_status_menu_item(menu.get(), u"About", 3)->setKeyEquivalentModifierMask(~NSUInteger{0});
    const uint8_t command_option =
        static_cast<uint8_t>(KeyModifier::command) | static_cast<uint8_t>(KeyModifier::alternate);
    const std::vector<MenuItemSnapshot> items = {{false, 9, "Quit", "q", command_option, false},
                                                 {false, 3, "About", "", 0, false}};
    StatusItemSnapshots snapshots;
    // Every text as it was first, and the menu.
    auto expect_whole = [&](const char* when) {
        item->setTitle(NSString::make(u"78%").get());
        item->setToolTip(NSString::make(u"Tip").get());
        item->setMenu(menu.get());
        snapshots.update(item.get(), false);
        ASSERT_TRUE(snapshots.status()) << when;
        EXPECT_EQ(snapshots.status()->title, "78%") << when;
        EXPECT_EQ(snapshots.status()->tooltip, "Tip") << when;
        EXPECT_EQ(snapshots.menu(), items) << when;
    };
    expect_whole("first");
    ObjcRef<NSMenuItem> kept = ObjcRef<NSMenuItem>::retain(quit);
    menu->removeItemAtIndex(0);
    menu->insertItemAtIndex(NSMenuItem::separatorItem(nil), 0);
    item->setToolTip(nil);
    item->setTitle(nil);
    snapshots.update(item.get(), false);
    EXPECT_EQ(snapshots.status()->title, "");
    EXPECT_EQ(snapshots.status()->tooltip, std::nullopt);
    EXPECT_TRUE(snapshots.menu()->at(0).separator);
    menu->removeItemAtIndex(0);
    menu->insertItemAtIndex(kept.get(), 0);
    expect_whole("after a separator in its place");
    item->setMenu(nil);
    snapshots.update(item.get(), false);
    EXPECT_EQ(snapshots.menu(), std::nullopt);
    expect_whole("after no menu");
    snapshots.update(nullptr, false);
    EXPECT_FALSE(snapshots.status() || snapshots.menu());
    expect_whole("after no item");
}

TEST(NSStatusItem, AChoiceOfTheShownItemsMenuSendsTheActionOfAnAvailableItem) {
    clean_application();
    NSStatusBar* bar = NSStatusBar::systemStatusBar(nil);
    ASSERT_EQ(NSStatusBar::shown_item(), nil);
    EXPECT_EQ(choose_status_menu_item(1), "the status menu is not available");
    ObjcRef<NSStatusItem> shown, other;
    {
        AutoreleasePoolScope pool;
        shown = ObjcRef<NSStatusItem>::retain(bar->statusItemWithLength(-2));
        other = ObjcRef<NSStatusItem>::retain(bar->statusItemWithLength(-1));
    }
    EXPECT_EQ(NSStatusBar::shown_item(), shown.get());
    EXPECT_EQ(choose_status_menu_item(1), "the status menu is not available");
    ObjcRef<NSMenu> menu = make_native<NSMenu>();
    shown->setMenu(menu.get());
    ObjcRef<ActionRecorder> target = make_recorder();
    std::vector<id> senders;
    target->on_action = [&](id sender) { senders.push_back(sender); };
    NSMenuItem* about = add_status_menu_item(menu.get(), u"About", 3);
    about->setTarget(target.get());
    about->setAction(sel_registerName("tick:"));
    about->setEnabled(NO);
    NSMenuItem* separator = NSMenuItem::separatorItem(nil);
    separator->setTag(4);
    menu->addItem(separator);
    EXPECT_EQ(choose_status_menu_item(3), "menu item 3 is disabled");
    EXPECT_EQ(choose_status_menu_item(4), "no menu item 4");
    about->setEnabled(YES);
    EXPECT_EQ(choose_status_menu_item(3), "");
    EXPECT_EQ(senders, std::vector<id>{about});
    shown.reset();
    EXPECT_EQ(NSStatusBar::shown_item(), other.get()) << "a freed item leaves the bar";
    bar->removeStatusItem(other.get());
    EXPECT_EQ(NSStatusBar::shown_item(), nil);
}

} // namespace
