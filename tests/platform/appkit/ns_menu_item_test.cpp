#include "platform/appkit/ns_menu_item.h"

#include "platform/appkit/ns_menu.h"
#include "platform/objc/message_send.h"
#include "platform/objc/objc.h"

#include <gtest/gtest.h>

namespace {

ObjcRef<NSMenuItem> item_titled(const char* title, const char* action, const char* key) {
    ObjcRef<NSString> title_text = NSString::from_utf8(title);
    ObjcRef<NSString> key_text = NSString::from_utf8(key);
    id object = NSObject::alloc(objc_lookUpClass("NSMenuItem"));
    return ObjcRef<NSMenuItem>::adopt(
        msg_send<NSMenuItem*>(object, "initWithTitle:action:keyEquivalent:", title_text.get(),
                              action ? sel_registerName(action) : SEL{nullptr}, key_text.get()));
}

} // namespace

TEST(NSMenuItem, RetainsItsSubmenuAndRepresentedObjectButNotItsTarget) {
    ObjcRef<NSMenuItem> item = item_titled("Services", nullptr, "");
    ObjcRef<NSMenu> submenu = make_native<NSMenu>();
    ObjcRef<NSMenu> target = make_native<NSMenu>();
    ObjcRef<NSMenu> represented = make_native<NSMenu>();
    msg_send<void>(item.get(), "setSubmenu:", static_cast<id>(submenu.get()));
    msg_send<void>(item.get(), "setTarget:", static_cast<id>(target.get()));
    msg_send<void>(item.get(), "setRepresentedObject:", static_cast<id>(represented.get()));
    EXPECT_EQ(item->submenu(), submenu.get());
    EXPECT_EQ(item->hasSubmenu(), YES);
    EXPECT_EQ(item->target(), target.get());
    EXPECT_EQ(submenu->retainCount(), 2u);
    EXPECT_EQ(represented->retainCount(), 2u);
    EXPECT_EQ(target->retainCount(), 1u);
    item->setSubmenu(nil);
    EXPECT_EQ(item->hasSubmenu(), NO);
    EXPECT_EQ(submenu->retainCount(), 1u);
}
