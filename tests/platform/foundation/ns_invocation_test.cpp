#include "platform/foundation/ns_invocation.h"

#include "tests/platform/objc/objc_test_support.h"

#include <gtest/gtest.h>

namespace {

long long add_numbers(id, SEL, long long a, int b) {
    return a + b;
}

struct InvocationTarget {
    Class cls = make_runtime_class("InvocationTarget");
    ObjcRef<> object = ObjcRef<>::adopt(class_createInstance(cls, 0));

    NSInvocation* invocation(const char* name, IMP imp, const char* types) {
        SEL selector = sel_registerName(name);
        EXPECT_TRUE(class_addMethod(cls, selector, imp, types)) << name;
        auto* signature = msg_send<NSMethodSignature*>(objc_getClass("NSMethodSignature"),
                                                       "signatureWithObjCTypes:", types);
        auto* invocation = msg_send<NSInvocation*>(objc_getClass("NSInvocation"),
                                                   "invocationWithMethodSignature:", signature);
        invocation->setSelector(selector);
        return invocation;
    }
};

} // namespace

// Sends by name with arguments and results by address are tested with the runtime's native
// messages; here, what the invocation refuses.
TEST(NSInvocation, SendsNothingWhenTheTargetCannotTakeTheMessage) {
    AutoreleasePoolScope pool;
    InvocationTarget target;
    InvocationTarget other;
    other.invocation("add:to:", as_imp(&add_numbers), "q@:qq");
    NSInvocation* invocation = target.invocation("add:to:", as_imp(&add_numbers), "q@:qi");
    long long a = 40;
    int b = 2;
    invocation->setArgument(&a, 2);
    invocation->setArgument(&b, 3);
    invocation->setArgument(&b, 4); // out of range: ignored
    invocation->setArgument(nullptr, 2);
    long long result = -1;
    invocation->invokeWithTarget(target.object.get());
    invocation->getReturnValue(&result);
    EXPECT_EQ(result, 42);
    for (id receiver : {static_cast<id>(nil), other.object.get()}) {
        invocation->invokeWithTarget(target.object.get());
        invocation->invokeWithTarget(receiver);
        invocation->getReturnValue(&result);
        EXPECT_EQ(result, 0) << "nil, or a method passed differently, is not sent to";
    }
    EXPECT_EQ(
        msg_send<id>(objc_getClass("NSInvocation"), "invocationWithMethodSignature:", nullptr),
        nil);
}

TEST(NSMethodSignature, CountsArgumentsMeasuresResultsAndRefusesMalformedTypes) {
    AutoreleasePoolScope pool;
    auto signature_for = [](const char* types) {
        return msg_send<NSMethodSignature*>(objc_getClass("NSMethodSignature"),
                                            "signatureWithObjCTypes:", types);
    };
    const struct {
        const char* types;
        NSUInteger arguments, return_length; // 0 arguments: refused
    } rows[] = {
        {"v@:@", 3, 0},
        {"c24@0:8q16", 3, 1},
        {"{NSOperatingSystemVersion=qqq}16@0:8", 2, 24},
        {"{CGRect={CGPoint=dd}{CGSize=dd}}@:{CGSize=dd}", 3, 32},
        {"", 0, 0},
        {"v@:{Opaque}", 0, 0},
        {"v@:[3i]", 0, 0},
        {"q@:Z", 0, 0},
        {nullptr, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.types ? row.types : "null");
        NSMethodSignature* signature = signature_for(row.types);
        ASSERT_EQ(signature != nullptr, row.arguments > 0);
        if (!signature) continue;
        EXPECT_EQ(signature->numberOfArguments(), row.arguments);
        EXPECT_EQ(msg_send<NSUInteger>(signature, "methodReturnLength"), row.return_length);
    }
    EXPECT_TRUE(msg_send<BOOL>(signature_for("q24@0:8q16"), "isEqual:", signature_for("q@:q")));
    EXPECT_FALSE(msg_send<BOOL>(signature_for("q@:q"), "isEqual:", signature_for("Q@:q")));
    EXPECT_FALSE(msg_send<BOOL>(signature_for("q@:q"), "isEqual:", signature_for("q@:Q")));
}
