#include "platform/foundation/ns_notification_center.h"

#include "tests/platform/foundation/foundation_test_support.h"
#include "tests/platform/foundation/timer_test_support.h"

#include <gtest/gtest.h>

namespace {

SEL noted() {
    return sel_registerName("noted:");
}

NSString* text(const char* utf8) {
    return NSString::from_utf8(utf8).autorelease();
}

std::string describe(NSString* name, id object) {
    return std::string("name ") + (name ? name->utf8() : "nil") + ", object " +
           (object ? "set" : "nil");
}

} // namespace

TEST(NSNotificationCenter, CallsObserversWhoseNameAndObjectMatchWithNilAsAWildcard) {
    AutoreleasePoolScope pool;
    ObjcRef<NSObject> sender =
        ObjcRef<NSObject>::adopt(NSObject::newObject(class_named("NSObject")));
    ObjcRef<NSObject> other =
        ObjcRef<NSObject>::adopt(NSObject::newObject(class_named("NSObject")));
    struct Row {
        NSString* name;  // registered
        id object;       // registered
        bool sleep_seen; // a post of "Sleep" by sender
        bool wake_seen;  // a post of "Wake" by other
    };
    const Row rows[] = {
        {text("Sleep"), nil, true, false},
        {text("Sleep"), sender.get(), true, false},
        {text("Sleep"), other.get(), false, false},
        {nil, nil, true, true},
        {nil, other.get(), false, true},
        {text("Wake"), nil, false, true},
    };
    for (const Row& row : rows) {
        ObjcRef<NSNotificationCenter> center = make_native<NSNotificationCenter>();
        ObjcRef<ActionRecorder> observer = make_recorder();
        msg_send<void>(center.get(),
                       "addObserver:selector:name:object:", static_cast<id>(observer.get()),
                       noted(), row.name, row.object);
        msg_send<void>(center.get(), "postNotificationName:object:", text("Sleep"), sender.get());
        msg_send<void>(center.get(), "postNotificationName:object:", text("Wake"), other.get());
        std::vector<std::string> expected;
        if (row.sleep_seen) expected.push_back("Sleep");
        if (row.wake_seen) expected.push_back("Wake");
        EXPECT_EQ(observer->notifications, expected) << describe(row.name, row.object);
        center->removeObserver(observer.get());
    }
}

TEST(NSNotificationCenter, RemovesOnlyTheRegistrationsThatMatchNameAndObject) {
    AutoreleasePoolScope pool;
    ObjcRef<NSObject> sender =
        ObjcRef<NSObject>::adopt(NSObject::newObject(class_named("NSObject")));
    struct Row {
        NSString* name;
        id object;
        std::size_t left; // of the three registrations below
    };
    const Row rows[] = {
        {nil, nil, 0},
        {text("Sleep"), nil, 2}, // the wildcard registration stays
        {text("Wake"), nil, 2},
        {nil, sender.get(), 2}, // only the registration with that object
        {text("Sleep"), sender.get(), 2},
        {text("Other"), nil, 3},
    };
    for (const Row& row : rows) {
        ObjcRef<NSNotificationCenter> center = make_native<NSNotificationCenter>();
        ObjcRef<ActionRecorder> observer = make_recorder();
        ObjcRef<ActionRecorder> bystander = make_recorder();
        center->addObserver(observer.get(), noted(), text("Sleep"), sender.get());
        center->addObserver(observer.get(), noted(), text("Wake"), nil);
        center->addObserver(observer.get(), noted(), nil, nil);
        center->addObserver(bystander.get(), noted(), nil, nil);
        msg_send<void>(center.get(), "removeObserver:name:object:", static_cast<id>(observer.get()),
                       row.name, row.object);
        EXPECT_EQ(center->observer_count(), row.left + 1) << describe(row.name, row.object);
    }
}

TEST(NSNotificationCenter, AnObserverRemovedDuringAPostIsNotCalledForIt) {
    AutoreleasePoolScope pool;
    ObjcRef<NSNotificationCenter> center = make_native<NSNotificationCenter>();
    std::vector<std::string> log;
    ObjcRef<ActionRecorder> first = make_recorder("first", &log);
    ObjcRef<ActionRecorder> second = make_recorder("second", &log);
    ObjcRef<ActionRecorder> late = make_recorder("late", &log);
    first->on_action = [&](id) {
        msg_send<void>(center.get(), "removeObserver:", static_cast<id>(second.get()));
        center->addObserver(late.get(), noted(), nil, nil);
    };
    center->addObserver(first.get(), noted(), nil, nil);
    center->addObserver(second.get(), noted(), nil, nil);
    center->postNotificationName(text("Sleep"), nil);
    EXPECT_EQ(log, std::vector<std::string>{"first"});
    first->on_action = nullptr;
    center->postNotificationName(text("Wake"), nil);
    EXPECT_EQ(log, (std::vector<std::string>{"first", "first", "late"}));
}

TEST(NSNotificationCenter, CallsAMethodAddedToAClassMadeAtRunTime) {
    AutoreleasePoolScope pool;
    static int s_calls = 0;
    static NSString* s_name = nil;
    Class cls = objc_allocateClassPair(objc_getClass("NSObject"), "NotificationTestObserver", 0);
    ASSERT_TRUE(cls);
    auto method = +[](id, SEL, id notification) {
        ++s_calls;
        s_name = static_cast<NSNotification*>(notification)->name();
    };
    class_addMethod(cls, sel_registerName("AppWillSleep:"), reinterpret_cast<IMP>(method), "v@:@");
    objc_registerClassPair(cls);
    ObjcRef<> observer = ObjcRef<>::adopt(class_createInstance(cls, 0));
    NSNotificationCenter* center =
        msg_send<NSNotificationCenter*>(class_named("NSNotificationCenter"), "defaultCenter");
    ASSERT_TRUE(center);
    center->addObserver(observer.get(), sel_registerName("AppWillSleep:"),
                        text("NSWorkspaceWillSleepNotification"), nil);
    NSNotification* notification =
        NSNotification::make(text("NSWorkspaceWillSleepNotification"), nil, nil).autorelease();
    msg_send<void>(center, "postNotification:", notification);
    center->postNotificationName(text("NSWorkspaceDidWakeNotification"), nil);
    EXPECT_EQ(s_calls, 1);
    EXPECT_EQ(s_name, notification->name());
    center->removeObserver(observer.get());
    center->postNotification(notification);
    EXPECT_EQ(s_calls, 1);
}

TEST(NSNotificationCenter, DoesNotRetainObservers) {
    AutoreleasePoolScope pool;
    ObjcRef<NSNotificationCenter> center = make_native<NSNotificationCenter>();
    ObjcRef<ActionRecorder> observer = make_recorder();
    center->addObserver(observer.get(), noted(), text("Sleep"), nil);
    EXPECT_EQ(observer->retainCount(), 1u);
    center->removeObserver(observer.get());
    EXPECT_EQ(center->observer_count(), 0u);
}
