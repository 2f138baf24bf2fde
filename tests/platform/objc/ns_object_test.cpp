#include "platform/objc/ns_object.h"

#include "tests/platform/objc/objc_test_support.h"

#include <gtest/gtest.h>

namespace {

int g_inits = 0;
int g_deallocs = 0;

id counting_init(id self, SEL) {
    ++g_inits;
    return self;
}

void counting_dealloc(id self, SEL) {
    ++g_deallocs;
    object_dispose(self);
}

} // namespace

TEST(NSObject, RespondsAndKindAcrossASubclassMadeAtRunTime) {
    Class root = objc_getClass("NSObject");
    Class sub = make_runtime_class("KindSub");
    Class other = make_runtime_class("KindOther");
    SEL own = sel_registerName("ownMethod");
    class_addMethod(sub, own, as_imp(&counting_init), "@@:");
    ObjcRef<> object = ObjcRef<>::adopt(msg_send<id>(sub, "new"));
    ASSERT_TRUE(object);
    struct Case {
        id receiver;
        const char* selector;
        const void* argument;
        BOOL expected;
    };
    const Case cases[] = {
        {object.get(), "isKindOfClass:", sub, YES},
        {object.get(), "isKindOfClass:", root, YES},
        {object.get(), "isKindOfClass:", other, NO},
        {object.get(), "isMemberOfClass:", root, NO},
        {object.get(), "respondsToSelector:", own, YES},
        {object.get(), "respondsToSelector:", sel_registerName("hash"), YES},
        {object.get(), "respondsToSelector:", sel_registerName("fly"), NO},
        {sub, "respondsToSelector:", own, NO},
        {sub, "instancesRespondToSelector:", own, YES},
        {sub, "isKindOfClass:", root, YES},
    };
    for (const Case& c : cases) {
        BOOL answer = reinterpret_cast<std::intptr_t>(
            objc_msgSend(c.receiver, sel_registerName(c.selector), c.argument));
        EXPECT_EQ(answer, c.expected) << object_getClassName(c.receiver) << " " << c.selector;
    }
    EXPECT_EQ(msg_send<Class>(object.get(), "class"), sub);
    EXPECT_EQ(msg_send<Class>(sub, "class"), sub);
    EXPECT_EQ(msg_send<Class>(sub, "superclass"), root);
}

TEST(NSObject, NewSendsInitAndTheLastReleaseSendsDeallocByMessage) {
    Class cls = make_runtime_class("Lifecycle");
    class_addMethod(cls, sel_registerName("init"), as_imp(&counting_init), "@@:");
    class_addMethod(cls, sel_registerName("dealloc"), as_imp(&counting_dealloc), "v@:");
    g_inits = g_deallocs = 0;
    id object = msg_send<id>(cls, "new");
    EXPECT_EQ(g_inits, 1);
    msg_send<id>(object, "retain");
    EXPECT_EQ(msg_send<NSUInteger>(object, "retainCount"), 2u);
    msg_send<void>(object, "release");
    EXPECT_EQ(g_deallocs, 0);
    objc_release(object);
    EXPECT_EQ(g_deallocs, 1);
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
    EXPECT_EQ(objc_retain(cls), cls);
    EXPECT_TRUE(msg_send<BOOL>(cls, "isKindOfClass:", objc_getClass("NSObject")));
}
