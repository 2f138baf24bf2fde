#include "platform/objc/objc_class.h"

#include "platform/objc/class_registry.h"
#include "tests/platform/objc/objc_test_support.h"

#include <gtest/gtest.h>

namespace {

int answer_a(id, SEL) {
    return 1;
}
int answer_b(id, SEL) {
    return 2;
}

IMP imp_of(Class cls, SEL selector) {
    Method method = class_getInstanceMethod(cls, selector);
    return method ? method->implementation : nullptr;
}

} // namespace

// Lookups are cached per class; a method added later must still win.
TEST(ObjcClass, AddMethodRefusesASecondOwnMethodButOverridesAnInheritedOne) {
    Class base = make_runtime_class("AddBase");
    Class derived = make_runtime_class("AddDerived", base);
    SEL selector = sel_registerName("answer");
    EXPECT_TRUE(class_addMethod(base, selector, as_imp(&answer_a), "i@:"));
    EXPECT_FALSE(class_addMethod(base, selector, as_imp(&answer_b), "i@:"));
    EXPECT_EQ(imp_of(base, selector), as_imp(&answer_a));
    EXPECT_EQ(imp_of(derived, selector), as_imp(&answer_a));
    EXPECT_TRUE(class_addMethod(derived, selector, as_imp(&answer_b), "i@:"));
    EXPECT_EQ(imp_of(derived, selector), as_imp(&answer_b));
    EXPECT_EQ(imp_of(base, selector), as_imp(&answer_a));
    EXPECT_STREQ(method_getTypeEncoding(class_getInstanceMethod(base, selector)), "i@:");
    EXPECT_FALSE(class_addMethod(base, selector, nullptr, "i@:"));
}

TEST(ObjcClass, ExtraBytesFollowTheNativeObjectZeroedAndOnlyRegisteredClassesMakeInstances) {
    Class cls = objc_allocateClassPair(objc_getClass("NSObject"),
                                       unique_class_name("ExtraHolder").c_str(), 0);
    ASSERT_TRUE(cls);
    EXPECT_EQ(class_createInstance(cls, 0), nil) << "not registered yet";
    objc_registerClassPair(cls);
    id object = class_createInstance(cls, 32);
    ASSERT_TRUE(object);
    auto* extra = static_cast<std::byte*>(object_getIndexedIvars(object));
    EXPECT_EQ(std::count(extra, extra + 32, std::byte{0}), 32) << "extra bytes start zeroed";
    objc_release(object);
    EXPECT_EQ(class_createInstance(object_getClass(cls), 0), nil) << "a metaclass";
    objc_release(cls);
    EXPECT_STREQ(class_getName(cls), class_getName(object_getClass(cls))) << "classes survive";
}

TEST(ClassRegistry, PairsAreFoundOnceRegisteredAndNamesStayUnique) {
    Class root = objc_getClass("NSObject");
    std::string name = unique_class_name("PendingPair");
    Class cls = objc_allocateClassPair(root, name.c_str(), 48);
    ASSERT_TRUE(cls);
    EXPECT_EQ(objc_lookUpClass(name.c_str()), nil);
    EXPECT_EQ(objc_allocateClassPair(root, name.c_str(), 0), nil) << "the name is reserved";
    EXPECT_EQ(objc_allocateClassPair(cls, unique_class_name("Child").c_str(), 0), nil);
    EXPECT_EQ(objc_allocateClassPair(object_getClass(root), "FromMetaclass", 0), nil);
    EXPECT_EQ(object_getClass(object_getClass(cls)), object_getClass(root)) << "the root metaclass";
    EXPECT_EQ(objc_allocateClassPair(root, "NSObject", 0), nil);
    objc_registerClassPair(cls);
    EXPECT_EQ(objc_lookUpClass(name.c_str()), cls);
    auto* extra = static_cast<unsigned char*>(object_getIndexedIvars(cls));
    EXPECT_EQ(extra[0], 0);
    extra[47] = 9; // the sanitizer build catches a class object without its extra bytes
}
