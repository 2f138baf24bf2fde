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
    ObjcRef<NSObject> other =
        ObjcRef<NSObject>::adopt(NSObject::newObject(class_named("NSObject")));
    const struct {
        const char* name; // registered; null for any
        id object;        // registered
        std::vector<std::string> seen;
    } rows[] = {
        {"Sleep", nil, {"Sleep"}},
        {"Wake", nil, {"Wake"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.name ? row.name : "any") + (row.object ? ", object" : ""));
        ObjcRef<NSNotificationCenter> center = make_native<NSNotificationCenter>();
        ObjcRef<ActionRecorder> observer = make_recorder();
        msg_send<void>(
            center.get(), "addObserver:selector:name:object:", static_cast<id>(observer.get()),
            sel_registerName("noted:"), row.name ? notification_name(row.name) : nil, row.object);
        EXPECT_EQ(observer->retainCount(), 1u) << "observers are not retained";
        msg_send<void>(center.get(), "postNotificationName:object:", notification_name("Sleep"),
                       sender.get());
        center->postNotification(
            NSNotification::make(notification_name("Wake"), other.get(), nil).autorelease());
        center->postNotification(nil);
        EXPECT_EQ(observer->notifications, row.seen);
        msg_send<void>(center.get(), "removeObserver:", static_cast<id>(observer.get()));
        center->postNotificationName(notification_name("Sleep"), sender.get());
        EXPECT_EQ(observer->notifications, row.seen) << "removed";
    }
}
