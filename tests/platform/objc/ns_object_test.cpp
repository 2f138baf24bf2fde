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
