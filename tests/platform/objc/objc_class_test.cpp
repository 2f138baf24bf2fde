#include "platform/objc/objc_class.h"

#include "platform/objc/class_registry.h"
#include "tests/platform/objc/objc_test_support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

int answer_a(id, SEL) {
    return 1;
}
int answer_b(id, SEL) {
    return 2;
}
long long make_count(id, SEL) {
    return 77;
}

IMP imp_of(Class cls, SEL selector) {
    return method_getImplementation(class_getInstanceMethod(cls, selector));
}

} // namespace

TEST(ObjcClass, MetaclassesMirrorTheHierarchyAndHoldClassMethods) {
    Class root = objc_getClass("NSObject");
    Class cls = make_runtime_class("MetaShape");
    Class meta = object_getClass(cls);
    Class root_meta = object_getClass(root);
    EXPECT_TRUE(class_isMetaClass(meta));
    EXPECT_STREQ(class_getName(meta), class_getName(cls));
    EXPECT_EQ(class_getSuperclass(meta), root_meta);
    EXPECT_EQ(class_getSuperclass(root_meta), root) << "classes answer the root's methods";
    EXPECT_EQ(object_getClass(meta), root_meta);
    EXPECT_EQ(object_getClass(root_meta), root_meta);

    SEL selector = sel_registerName("makeCount");
    ASSERT_TRUE(class_addMethod(meta, selector, as_imp(&make_count), "q@:"));
    EXPECT_EQ(class_getClassMethod(cls, selector), class_getInstanceMethod(meta, selector));
    EXPECT_FALSE(class_getInstanceMethod(cls, selector));
    EXPECT_EQ(reinterpret_cast<long long>(objc_msgSend(cls, selector)), 77);
}

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
    EXPECT_FALSE(class_addMethod(nil, selector, as_imp(&answer_a), "i@:"));
    EXPECT_FALSE(class_addMethod(base, selector, nullptr, "i@:"));
}

TEST(ObjcClass, InstanceVariablesAndExtraBytesFollowTheNativeObject) {
    Class cls = objc_allocateClassPair(objc_getClass("NSObject"),
                                       unique_class_name("IvarHolder").c_str(), 0);
    ASSERT_TRUE(cls);
    EXPECT_TRUE(class_addIvar(cls, "count", sizeof(int), 2, "i"));
    EXPECT_TRUE(class_addIvar(cls, "total", sizeof(double), 3, "d"));
    EXPECT_FALSE(class_addIvar(cls, "count", sizeof(int), 2, "i")) << "name in use";
    EXPECT_FALSE(class_addIvar(cls, "huge", 64, 6, "?")) << "alignment above 16 bytes";
    EXPECT_EQ(class_createInstance(cls, 0), nil) << "not registered yet";
    objc_registerClassPair(cls);
    EXPECT_FALSE(class_addIvar(cls, "late", 1, 0, "c")) << "registered classes are closed";

    std::ptrdiff_t count = ivar_getOffset(class_getInstanceVariable(cls, "count"));
    std::ptrdiff_t total = ivar_getOffset(class_getInstanceVariable(cls, "total"));
    EXPECT_GE(count, static_cast<std::ptrdiff_t>(sizeof(NSObject)));
    EXPECT_EQ(total % 8, 0);
    EXPECT_GE(total, count + 4);
    EXPECT_EQ(class_getInstanceSize(cls), static_cast<std::size_t>(total) + 8);

    id object = class_createInstance(cls, 32);
    ASSERT_TRUE(object);
    auto* start = reinterpret_cast<std::byte*>(object);
    auto* extra = static_cast<std::byte*>(object_getIndexedIvars(object));
    EXPECT_GE(extra, start + class_getInstanceSize(cls));
    EXPECT_EQ(std::count(extra, extra + 32, std::byte{0}), 32) << "extra bytes start zeroed";
    std::memset(start + total, 0x5A, 8); // the sanitizer build catches a block too short
    std::memset(extra, 0x5A, 32);
    objc_release(object);
    EXPECT_EQ(class_createInstance(object_getClass(cls), 0), nil) << "a metaclass";
    EXPECT_EQ(object_dispose(cls), nil);
    EXPECT_STREQ(class_getName(cls), class_getName(object_getClass(cls))) << "classes survive";
}

TEST(ClassRegistry, FindsNativeClassesWithoutSetUpAndUnknownNamesGiveNil) {
    for (const char* name : {"NSObject", "NSMethodSignature", "NSInvocation"}) {
        Class cls = objc_lookUpClass(name);
        ASSERT_TRUE(cls) << name;
        EXPECT_STREQ(class_getName(cls), name);
        EXPECT_EQ(objc_getMetaClass(name), object_getClass(cls));
    }
    EXPECT_EQ(objc_lookUpClass("NoSuchClass"), nil);
    EXPECT_EQ(objc_getClass(""), nil);
    EXPECT_EQ(objc_lookUpClass(nullptr), nil);
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
    EXPECT_EQ(objc_allocateClassPair(root, "NSObject", 0), nil);
    objc_registerClassPair(cls);
    EXPECT_EQ(objc_lookUpClass(name.c_str()), cls);
    auto* extra = static_cast<unsigned char*>(object_getIndexedIvars(cls));
    EXPECT_EQ(extra[0], 0);
    extra[47] = 9; // the sanitizer build catches a class object without its extra bytes
}
