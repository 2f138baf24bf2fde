#include "platform/objc/ns_object.h"

#include "tests/platform/objc/objc_test_support.h"

#include <gtest/gtest.h>

namespace {

id answer_self(id self, SEL) {
    return self;
}

} // namespace

TEST(NSObject, RespondsToOwnAndInheritedMethodsAcrossASubclassMadeAtRunTime) {
    Class sub = make_runtime_class("KindSub");
    SEL own = sel_registerName("ownMethod");
    class_addMethod(sub, own, as_imp(&answer_self), "@@:");
    ObjcRef<> object = ObjcRef<>::adopt(msg_send<id>(sub, "new"));
    ASSERT_TRUE(object);
    const struct {
        id receiver;
        SEL selector;
        BOOL expected;
    } rows[] = {
        {object.get(), own, YES},
        {object.get(), sel_registerName("hash"), YES},
        {object.get(), nullptr, NO},
        {sub, own, NO}, // a class answers for its class methods
    };
    for (const auto& row : rows) {
        EXPECT_EQ(msg_send<BOOL>(row.receiver, "respondsToSelector:", row.selector), row.expected)
            << object_getClassName(row.receiver) << " " << sel_getName(row.selector);
    }
    EXPECT_EQ(msg_send<Class>(object.get(), "class"), sub);
}

TEST(NSObject, ReleaseDestroysNativeObjectsAndLeavesClassesAlone) {
    int before = TestProbe::s_destroyed;
    test_probe_class();
    id probe = make_native<TestProbe>(1).take();
    objc_release(objc_retain(probe));
    EXPECT_EQ(TestProbe::s_destroyed, before);
    objc_release(probe);
    EXPECT_EQ(TestProbe::s_destroyed, before + 1);

    // A root class made at run time has no -dealloc; its objects are freed all the same.
    Class own_root = objc_allocateClassPair(nil, unique_class_name("OwnRoot").c_str(), 0);
    objc_registerClassPair(own_root);
    objc_release(class_createInstance(own_root, 0));

    Class cls = make_runtime_class("Immortal");
    for (int i = 0; i < 3; ++i)
        msg_send<void>(cls, "release");
    EXPECT_EQ(msg_send<Class>(objc_retain(cls), "class"), cls);
}
