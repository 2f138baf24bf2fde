#include "platform/appkit/ns_status_item.h"

#include "platform/appkit/ns_status_bar.h"
#include "platform/objc/autorelease_pool.h"
#include "platform/objc/message_send.h"
#include "tests/platform/objc/objc_test_support.h"
#include "tests/support/driver_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_choices;

void record_choice(id, SEL, id) {
    g_choices.push_back("statusChoice:");
}

// An object made at run time that answers statusChoice:.
ObjcRef<> make_choice_recorder() {
    static Class cls = [] {
        Class made = make_runtime_class("StatusMenuRecorder");
        class_addMethod(made, sel_registerName("statusChoice:"), as_imp(&record_choice), "v@:@");
        return made;
    }();
    return ObjcRef<>::adopt(msg_send<id>(reinterpret_cast<id>(cls), "new"));
}

ObjcRef<NSString> text(const char* utf8) {
    return NSString::from_utf8(utf8);
}

ObjcRef<NSMenuItem> item(NSInteger tag, const char* title, const char* action, const char* key,
                         id target) {
    ObjcRef<NSMenuItem> made = make_native<NSMenuItem>();
    made->initWithTitleActionKeyEquivalent(
        text(title).get(), action ? sel_registerName(action) : SEL{nullptr}, text(key).get());
    made->setTag(tag);
    made->setTarget(target);
    return made;
}

class StatusItemTest : public testing::Test {
  protected:
    void SetUp() override {
        clean_application();
        g_choices.clear();
        AutoreleasePoolScope pool;
        id bar =
            msg_send<id>(reinterpret_cast<id>(objc_lookUpClass("NSStatusBar")), "systemStatusBar");
        m_item = ObjcRef<NSStatusItem>::retain(
            msg_send<NSStatusItem*>(bar, "statusItemWithLength:", NSInteger{-2}));
    }
    void TearDown() override {
        msg_send<void>(NSStatusBar::systemStatusBar(nil),
                       "removeStatusItem:", static_cast<id>(m_item.get()));
    }

    // The shape of the application's menu: a disabled information line, separators, commands
    // sent to `target`, one with Command+I.
    ObjcRef<NSMenu> application_menu(id target) {
        ObjcRef<NSMenu> menu = make_native<NSMenu>();
        menu->initWithTitle(nil);
        ObjcRef<NSMenuItem> info = item(1, "Currently on AC Power", "statusChoice:", "", target);
        info->setEnabled(NO);
        menu->addItem(info.get());
        menu->addItem(NSMenuItem::separatorItem(nil));
        menu->addItem(item(3, "Show Battery Information...", "statusChoice:", "i", target).get());
        menu->addItem(NSMenuItem::separatorItem(nil));
        menu->addItem(item(9, "Quit Zerarazi", "statusChoice:", "q", target).get());
        return menu;
    }

    // What the display shows after the model was last shown to it.
    static Lines shown(DriverSession& session) {
        show_model_on_display();
        session.display.wait_for_input(0);
        return session.lines();
    }

    ObjcRef<NSStatusItem> m_item;
};

} // namespace

TEST_F(StatusItemTest, RemovedOrFreedItemsLeaveTheBar) {
    NSStatusBar* bar = NSStatusBar::systemStatusBar(nil);
    EXPECT_EQ(NSStatusBar::shown_item(), m_item.get());
    {
        AutoreleasePoolScope pool;
        bar->statusItemWithLength(-1); // nobody keeps it
        EXPECT_EQ(bar->items().size(), 2u);
    }
    EXPECT_EQ(bar->items().size(), 1u);
    msg_send<void>(bar, "removeStatusItem:", static_cast<id>(m_item.get()));
    EXPECT_EQ(NSStatusBar::shown_item(), nil);

    DriverSession session("");
    EXPECT_EQ(shown(session), Lines{});
}

TEST_F(StatusItemTest, MenuLineListsItemsSeparatorsKeysModifiersAndEnabledStates) {
    DriverSession session("");
    ObjcRef<> target = make_choice_recorder();
    ObjcRef<NSMenu> menu = application_menu(target.get());
    menu->itemWithTag(9)->setKeyEquivalentModifierMask(
        NSEventModifierFlagCommand | NSEventModifierFlagShift | NSEventModifierFlagOption |
        NSEventModifierFlagControl);
    // Autoenabling: an action nobody answers cannot be chosen.
    menu->addItem(item(5, "About", "about:", "", nil).get());
    msg_send<void>(m_item.get(), "setMenu:", static_cast<id>(menu.get()));

    Lines lines = shown(session);

    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(
        lines[1],
        "{\"event\":\"menu\",\"t\":0,\"items\":["
        "{\"number\":1,\"title\":\"Currently on AC Power\",\"key\":\"\",\"modifiers\":[],"
        "\"enabled\":false},{\"separator\":true},"
        "{\"number\":3,\"title\":\"Show Battery Information...\",\"key\":\"i\","
        "\"modifiers\":[\"cmd\"],\"enabled\":true},{\"separator\":true},"
        "{\"number\":9,\"title\":\"Quit Zerarazi\",\"key\":\"q\","
        "\"modifiers\":[\"cmd\",\"shift\",\"alt\",\"ctrl\"],\"enabled\":true},"
        "{\"number\":5,\"title\":\"About\",\"key\":\"\",\"modifiers\":[],\"enabled\":false}]}");
}

// The model checks again when the choice arrives: the item may have changed since it was shown.
TEST_F(StatusItemTest, AnItemDisabledSinceItWasShownIsRefusedByTheModel) {
    DriverSession session("");
    ObjcRef<> target = make_choice_recorder();
    ObjcRef<NSMenu> menu = application_menu(target.get());
    msg_send<void>(m_item.get(), "setMenu:", static_cast<id>(menu.get()));
    shown(session);
    menu->itemWithTag(3)->setEnabled(NO);
    menu->removeItem(menu->itemWithTag(9));

    for (int number : {3, 9, 0})
        NSApp->handle_display_input(MenuChoice{number});

    EXPECT_EQ(std::count(g_choices.begin(), g_choices.end(), "statusChoice:"), 0);
    EXPECT_TRUE(session.wrote(error_line(0, "", "menu item 3 is disabled")));
    EXPECT_TRUE(session.wrote(error_line(0, "", "no menu item 9")));
    // Separators carry tag 0 but are never chosen.
    EXPECT_TRUE(session.wrote(error_line(0, "", "no menu item 0")));
}
