#include "platform/appkit/ns_status_item.h"

#include "platform/appkit/ns_menu_item.h"
#include "platform/appkit/ns_status_bar.h"
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
    EXPECT_EQ(choose_status_menu_item(3), "menu item 3 is disabled");
    about->setEnabled(YES);
    EXPECT_EQ(choose_status_menu_item(3), "");
    EXPECT_EQ(senders, std::vector<id>{about});
    shown.reset();
    EXPECT_EQ(NSStatusBar::shown_item(), other.get()) << "a freed item leaves the bar";
    bar->removeStatusItem(other.get());
    EXPECT_EQ(NSStatusBar::shown_item(), nil);
}

} // namespace
