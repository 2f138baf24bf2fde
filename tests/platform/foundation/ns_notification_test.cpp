#include "platform/foundation/ns_notification.h"

#include "tests/platform/foundation/foundation_test_support.h"

#include <gtest/gtest.h>

TEST(NSNotification, HoldsItsNameObjectAndUserInformation) {
    AutoreleasePoolScope pool;
    NSString* name = NSString::from_utf8("Sleep").autorelease();
    ObjcRef<NSObject> sender =
        ObjcRef<NSObject>::adopt(NSObject::newObject(class_named("NSObject")));
    auto* notification = msg_send<NSNotification*>(
        class_named("NSNotification"), "notificationWithName:object:userInfo:", name,
        static_cast<id>(sender.get()), static_cast<id>(name));
    ASSERT_TRUE(notification);
    EXPECT_EQ(text_of(msg_send<id>(notification, "name")), "Sleep");
    EXPECT_EQ(msg_send<id>(notification, "object"), sender.get());
    EXPECT_EQ(msg_send<id>(notification, "userInfo"), name);
    EXPECT_EQ(sender->retainCount(), 2u);
}

TEST(NSNotification, ANilNameMakesNoNotification) {
    AutoreleasePoolScope pool;
    EXPECT_EQ(msg_send<id>(class_named("NSNotification"), "notificationWithName:object:", id{nil},
                           id{nil}),
              nil);
    EXPECT_FALSE(NSNotification::make(nil, nil, nil));
}
