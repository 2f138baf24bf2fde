#include "platform/foundation/ns_notification_center.h"

#include "tests/platform/foundation/foundation_test_support.h"
#include "tests/platform/foundation/timer_test_support.h"

#include <gtest/gtest.h>

namespace {

NSString* notification_name(const char* utf8) {
    return NSString::from_utf8(utf8).autorelease();
}

} // namespace

TEST(NSNotificationCenter, CallsObserversOfTheNamePostedUntilRemoved) {
    AutoreleasePoolScope pool;
    ObjcRef<NSObject> sender =
        ObjcRef<NSObject>::adopt(NSObject::newObject(class_named("NSObject")));
    for (const char* name : {"Sleep", "Wake"}) {
        ObjcRef<NSNotificationCenter> center = make_native<NSNotificationCenter>();
        ObjcRef<ActionRecorder> observer = make_recorder();
        msg_send<void>(center.get(),
                       "addObserver:selector:name:object:", static_cast<id>(observer.get()),
                       sel_registerName("noted:"), notification_name(name), static_cast<id>(nil));
        EXPECT_EQ(observer->retainCount(), 1u) << "observers are not retained";
        msg_send<void>(center.get(), "postNotificationName:object:", notification_name("Sleep"),
                       sender.get());
        center->postNotification(
            NSNotification::make(notification_name("Wake"), nil, nil).autorelease());
        EXPECT_EQ(observer->notifications, std::vector<std::string>{name});
        msg_send<void>(center.get(), "removeObserver:", static_cast<id>(observer.get()));
        center->postNotificationName(notification_name(name), sender.get());
        EXPECT_EQ(observer->notifications, std::vector<std::string>{name}) << "removed";
    }
}
