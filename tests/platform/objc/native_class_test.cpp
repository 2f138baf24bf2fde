#include "platform/objc/native_class.h"

#include "platform/objc/message_send.h"
#include "platform/objc/method.h"

#include "tests/platform/objc/objc_test_support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class Counter : public NSObject {
  public:
    int count() const { return m_count; }
    void increment() { ++m_count; }
    static long long sum(Class, long long first, long long second) { return first + second; }

  private:
    int m_count = 0;
};

class Abstract : public NSObject {
  public:
    virtual int size() const = 0;
};

Class counter_class() {
    static Class cls =
        register_native_class<Counter>("TestCounter", "NSObject",
                                       {instance_method<&Counter::count>("count"),
                                        instance_method<&Counter::increment>("increment"),
                                        variadic_class_method<&Counter::sum>("sum:")});
    return cls;
}

const char* types_of(Class cls, const char* selector) {
    return method_getTypeEncoding(class_getInstanceMethod(cls, sel_registerName(selector)));
}

} // namespace

// Typed sends whose C++ types are exactly the method's call it as a function, not through libffi.
TEST(NativeClass, RegistersMethodsWithEncodingsAndCppTypesDerivedFromCpp) {
    Class cls = counter_class();
    ASSERT_TRUE(cls);
    EXPECT_EQ(native_class<Counter>(), cls);
    EXPECT_STREQ(types_of(object_getClass(cls), "sum:"), "q@:qq");
    EXPECT_STREQ(types_of(test_probe_class(), "rectByMoving:by:"),
                 "{CGRect={CGPoint=dd}{CGSize=dd}}@:{CGRect={CGPoint=dd}{CGSize=dd}}d");
    EXPECT_EQ(reinterpret_cast<long long>(objc_msgSend(cls, sel_registerName("sum:"), 40LL, 2LL)),
              42);
    Method count = class_getInstanceMethod(cls, sel_registerName("count"));
    Method sum = class_getInstanceMethod(object_getClass(cls), sel_registerName("sum:"));
    ASSERT_TRUE(count && sum);
    EXPECT_EQ(count->implementation_type, (implementation_type_of<int (*)(id, SEL)>()));
    EXPECT_EQ(sum->implementation_type,
              (implementation_type_of<long long (*)(id, SEL, long long, long long)>()));
    static Class abstract = register_native_class<Abstract>("TestAbstract", "NSObject", {});
    ASSERT_TRUE(abstract);
    EXPECT_EQ(msg_send<id>(abstract, "new"), nil) << "an abstract class makes no instances";
}

TEST(NativeClass, AllocBuildsTheNativeObjectAlsoForASubclassMadeAtRunTime) {
    Class sub = objc_allocateClassPair(counter_class(), unique_class_name("Sub").c_str(), 0);
    ASSERT_TRUE(sub);
    objc_registerClassPair(sub);
    for (Class cls : {counter_class(), sub}) {
        ObjcRef<> object = ObjcRef<>::adopt(msg_send<id>(cls, "new"));
        ASSERT_NE(dynamic_cast<Counter*>(object.get()), nullptr) << class_getName(cls);
        EXPECT_EQ(object_getClass(object.get()), cls);
        msg_send<void>(object.get(), "increment");
        objc_msgSend(object.get(), sel_registerName("increment"));
        EXPECT_EQ(msg_send<int>(object.get(), "count"), 2);
    }
    ObjcRef<> object = ObjcRef<>::adopt(class_createInstance(sub, 16));
    auto* extra = static_cast<std::byte*>(object_getIndexedIvars(object.get()));
    std::memset(extra, 0x5A, 16); // the sanitizer build catches a block too short
}
