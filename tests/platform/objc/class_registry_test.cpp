#include "platform/objc/class_registry.h"

#include "tests/platform/objc/objc_test_support.h"

#include <gtest/gtest.h>

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
