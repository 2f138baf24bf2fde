#include "platform/foundation/ns_invocation.h"

#include "tests/platform/objc/objc_test_support.h"

#include <gtest/gtest.h>

namespace {

int g_sleeps = 0;
id g_notification = nil;
double g_length = 0;
TestRect g_frame{};

void app_will_sleep(id, SEL, id notification) {
    ++g_sleeps;
    g_notification = notification;
}
void set_length(id, SEL, double length) {
    g_length = length;
}
BOOL set_frame(id, SEL, TestRect frame, BOOL display) {
    g_frame = frame;
    return display;
}
TestVersion operating_system_version(id, SEL) {
    return {14, 6, 1};
}
long long add(id, SEL, long long a, int b) {
    return a + b;
}

struct Target {
    Class cls = make_runtime_class("InvocationTarget");
    ObjcRef<> object = ObjcRef<>::adopt(class_createInstance(cls, 0));

    void add_method(const char* name, IMP imp, const char* types) {
        EXPECT_TRUE(class_addMethod(cls, sel_registerName(name), imp, types)) << name;
    }
};

// A send through an invocation, each step by name: the method's own encoding gives the
// signature, arguments are copied from addresses, the result is read back as bytes.
NSInvocation* invocation_for(id receiver, const char* selector_name) {
    SEL selector = sel_registerName(selector_name);
    Method method = class_getInstanceMethod(object_getClass(receiver), selector);
    id signature =
        objc_msgSend(objc_lookUpClass("NSMethodSignature"),
                     sel_registerName("signatureWithObjCTypes:"), method_getTypeEncoding(method));
    id invocation = objc_msgSend(objc_lookUpClass("NSInvocation"),
                                 sel_registerName("invocationWithMethodSignature:"), signature);
    objc_msgSend(invocation, sel_registerName("setSelector:"), selector);
    return static_cast<NSInvocation*>(invocation);
}

void set_argument(NSInvocation* invocation, const void* address, NSInteger index) {
    objc_msgSend(invocation, sel_registerName("setArgument:atIndex:"), address, index);
}

void invoke(NSInvocation* invocation, id target, void* result) {
    objc_msgSend(invocation, sel_registerName("invokeWithTarget:"), target);
    id signature = objc_msgSend(invocation, sel_registerName("methodSignature"));
    auto length = reinterpret_cast<NSUInteger>(
        objc_msgSend(signature, sel_registerName("methodReturnLength")));
    if (length > 0) objc_msgSend(invocation, sel_registerName("getReturnValue:"), result);
}

} // namespace

TEST(NSInvocation, PassesObjectsDoublesAndStructuresByAddress) {
    AutoreleasePoolScope pool;
    Target target;
    target.add_method("AppWillSleep:", as_imp(&app_will_sleep), "v@:@");
    NSInvocation* sleep = invocation_for(target.object.get(), "AppWillSleep:");
    id notification = target.cls;
    set_argument(sleep, &notification, 2);
    g_sleeps = 0;
    invoke(sleep, target.object.get(), nullptr);
    EXPECT_EQ(g_sleeps, 1);
    EXPECT_EQ(g_notification, notification);

    target.add_method("setLength:", as_imp(&set_length), "v24@0:8d16");
    target.add_method("setFrame:display:", as_imp(&set_frame),
                      "c@:{CGRect={CGPoint=dd}{CGSize=dd}}c");
    NSInvocation* length = invocation_for(target.object.get(), "setLength:");
    double value = 22.5;
    set_argument(length, &value, 2);
    invoke(length, target.object.get(), nullptr);
    EXPECT_EQ(g_length, 22.5);

    NSInvocation* frame = invocation_for(target.object.get(), "setFrame:display:");
    TestRect rect{{10, 20}, {300, 400}};
    std::uint64_t display = 0xFFFFFF01; // a 64-bit slot: only its first byte is copied
    set_argument(frame, &rect, 2);
    set_argument(frame, &display, 3);
    std::uint64_t result = 0;
    invoke(frame, target.object.get(), &result);
    EXPECT_EQ(g_frame.origin.y, 20);
    EXPECT_EQ(g_frame.size.width, 300);
    EXPECT_EQ(result, 1u);
}

TEST(NSInvocation, CopiesAWholeStructureResultIntoABuffer) {
    AutoreleasePoolScope pool;
    Target target;
    target.add_method("operatingSystemVersion", as_imp(&operating_system_version),
                      "{NSOperatingSystemVersion=qqq}16@0:8");
    NSInvocation* invocation = invocation_for(target.object.get(), "operatingSystemVersion");
    long long buffer[4] = {-1, -1, -1, -1};
    invoke(invocation, target.object.get(), buffer);
    EXPECT_EQ(buffer[0], 14);
    EXPECT_EQ(buffer[1], 6);
    EXPECT_EQ(buffer[2], 1);
    EXPECT_EQ(buffer[3], -1) << "only the return length is copied";
}

TEST(NSInvocation, SendsNothingWhenTheTargetCannotTakeTheMessage) {
    AutoreleasePoolScope pool;
    Target target;
    target.add_method("add:to:", as_imp(&add), "q@:qi");
    Target other;
    other.add_method("add:to:", as_imp(&add), "q@:qq");
    NSInvocation* invocation = invocation_for(target.object.get(), "add:to:");
    long long a = 40;
    int b = 2;
    invocation->setArgument(&a, 2);
    invocation->setArgument(&b, 3);
    invocation->setArgument(&b, 4); // out of range: ignored
    long long result = -1;
    invocation->invokeWithTarget(target.object.get());
    invocation->getReturnValue(&result);
    EXPECT_EQ(result, 42);
    for (id receiver : {static_cast<id>(nil), other.object.get()}) {
        invocation->setReturnValue(&result);
        invocation->invokeWithTarget(receiver);
        invocation->getReturnValue(&result);
        EXPECT_EQ(result, 0) << "nil, or a method passed differently, is not sent to";
    }
    EXPECT_EQ(
        msg_send<id>(objc_getClass("NSInvocation"), "invocationWithMethodSignature:", nullptr),
        nil);
}
