#include "platform/appkit/ns_menu.h"

#include "platform/objc/message_send.h"
#include "platform/objc/objc.h"
#include "tests/platform/objc/objc_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

void ignore_sender(id, SEL, id) {}

Class about_target_class() {
    static Class cls = [] {
        Class made = make_runtime_class("AboutTarget");
        class_addMethod(made, sel_registerName("about:"), as_imp(&ignore_sender), "v@:@");
        return made;
    }();
    return cls;
}

ObjcRef<NSMenu> menu_titled(const char* title) {
    id object = NSObject::alloc(objc_lookUpClass("NSMenu"));
    return ObjcRef<NSMenu>::adopt(
        msg_send<NSMenu*>(object, "initWithTitle:", NSString::from_utf8(title).get()));
}

ObjcRef<NSMenuItem> item_titled(const char* title, const char* action = nullptr) {
    id object = NSObject::alloc(objc_lookUpClass("NSMenuItem"));
    return ObjcRef<NSMenuItem>::adopt(msg_send<NSMenuItem*>(
        object, "initWithTitle:action:keyEquivalent:", NSString::from_utf8(title).get(),
        action ? sel_registerName(action) : SEL{nullptr}, NSString::from_utf8("").get()));
}

void add(NSMenu* menu, NSMenuItem* item) {
    msg_send<void>(menu, "addItem:", static_cast<id>(item));
}

std::string titles_of(NSMenu* menu) {
    std::string titles;
    for (NSInteger i = 0; i < menu->numberOfItems(); ++i)
        titles += menu->itemAtIndex(i)->title()->utf8();
    return titles;
}

} // namespace

TEST(NSMenu, AnItemBelongsToOneMenuAndOutOfRangeIndicesChangeNothing) {
    AutoreleasePoolScope pool;
    ObjcRef<NSMenu> menu = menu_titled("Menu");
    ObjcRef<NSMenu> second = menu_titled("Second");
    ObjcRef<NSMenuItem> a = item_titled("A");
    ObjcRef<NSMenuItem> b = item_titled("B");
    add(menu.get(), a.get());
    add(second.get(), a.get());
    second->insertItemAtIndex(a.get(), 0);
    EXPECT_EQ(second->numberOfItems(), 0);
    EXPECT_EQ(a->menu(), menu.get());
    menu->insertItemAtIndex(b.get(), 2);
    menu->removeItemAtIndex(1);
    EXPECT_EQ(titles_of(menu.get()), "A");
    EXPECT_EQ(msg_send<NSMenuItem*>(menu.get(), "itemAtIndex:", NSInteger{1}), nil);
    EXPECT_EQ(msg_send<NSInteger>(menu.get(), "indexOfItem:", static_cast<id>(b.get())), -1);
    menu->insertItemAtIndex(b.get(), 0);
    EXPECT_EQ(titles_of(menu.get()), "BA");
    EXPECT_EQ(menu->indexOfItem(a.get()), 1);
    b->setTag(5);
    EXPECT_EQ(std::pair(menu->itemWithTag(5), menu->itemWithTag(6)),
              std::pair(b.get(), static_cast<NSMenuItem*>(nil)));
}

TEST(NSMenu, AnItemIsAvailableWhenItsTargetAnswersItsAction) {
    ObjcRef<> target = ObjcRef<>::adopt(class_createInstance(about_target_class(), 0));
    ObjcRef<NSMenu> submenu = menu_titled("Sub");
    struct Row {
        const char* name;
        bool enabled, autoenables;
        const char* action;
        id target;
        bool with_submenu, expected;
    };
    const Row rows[] = {
        {"target answers", true, true, "about:", target.get(), false, true},
        {"target does not answer", true, true, "preferences:", target.get(), false, false},
        {"no action", true, true, nullptr, target.get(), false, false},
        {"submenu without action", true, true, nullptr, nil, true, true},
        {"no autoenabling, enabled", true, false, "preferences:", nil, false, true},
        {"no autoenabling, disabled", false, false, "about:", target.get(), false, false},
    };
    for (const Row& row : rows) {
        ObjcRef<NSMenu> menu = menu_titled("Menu");
        menu->setAutoenablesItems(row.autoenables ? YES : NO);
        ObjcRef<NSMenuItem> item = item_titled("Item", row.action);
        item->setEnabled(row.enabled ? YES : NO);
        item->setTarget(row.target);
        if (row.with_submenu) item->setSubmenu(submenu.get());
        add(menu.get(), item.get());
        EXPECT_EQ(menu->item_is_available(item.get()), row.expected) << row.name;
        EXPECT_FALSE(submenu->item_is_available(item.get())) << "an item of another menu";
    }
    EXPECT_FALSE(submenu->item_is_available(nil));
}
