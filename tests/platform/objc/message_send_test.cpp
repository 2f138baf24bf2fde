#include "platform/objc/message_send.h"

#include "platform/objc/method.h"

#include "tests/platform/objc/objc_test_support.h"

#include <gtest/gtest.h>

namespace {

template <class T>
T echo(id, SEL, T value) {
    return value;
}

int g_sends = 0;
id g_last_argument = nil;

void note_object(id, SEL, id argument) {
    ++g_sends;
    g_last_argument = argument;
}
long long weigh(id, SEL, double d, float f) {
    return static_cast<long long>(d * 10 + f);
}
double halve(id, SEL, double d) {
    return d / 2;
}
long long take_rect(id, SEL, TestRect) {
    return ++g_sends;
}

struct Receiver {
    Class cls = make_runtime_class("MessageTarget");
    ObjcRef<> object = ObjcRef<>::adopt(class_createInstance(cls, 0));

    SEL add(const char* name, IMP imp, const char* types) {
        SEL selector = sel_registerName(name);
        EXPECT_TRUE(class_addMethod(cls, selector, imp, types)) << name;
        return selector;
    }
};

} // namespace

// Arguments narrower than int arrive promoted; results come back sign- or zero-extended.
TEST(MessageSend, PassesEveryIntegerWidthThroughTheVariadicEntry) {
    Receiver receiver;
    auto check = [&](const auto& row) {
        using T = typename std::remove_cvref_t<decltype(row)>::Type;
        if constexpr (std::is_integral_v<T>) {
            std::string types = std::string(1, row.code) + "@:" + row.code;
            std::string name = std::string("echo_") + row.code + ":";
            SEL selector = receiver.add(name.c_str(), as_imp(&echo<T>), types.c_str());
            T value = static_cast<T>(0x89ABCDEF01234567ull);
            auto expected = std::is_signed_v<T>
                                ? static_cast<std::intptr_t>(value)
                                : static_cast<std::intptr_t>(static_cast<std::uintptr_t>(value));
            id result = objc_msgSend(receiver.object.get(), selector, value);
            EXPECT_EQ(reinterpret_cast<std::intptr_t>(result), expected) << types;
        }
    };
    std::apply([&](const auto&... rows) { (check(rows), ...); }, k_encoding_table);
}

TEST(MessageSend, PromotesFloatsAndLeavesFloatingAndStructureResultsToTypedSends) {
    Receiver receiver;
    SEL weigh_selector = receiver.add("weigh:with:", as_imp(&weigh), "q@:df");
    SEL halve_selector = receiver.add("halve:", as_imp(&halve), "d@:d");
    SEL take = receiver.add("takeRect:", as_imp(&take_rect), "q@:{CGRect={CGPoint=dd}{CGSize=dd}}");
    id object = receiver.object.get();
    EXPECT_EQ(reinterpret_cast<long long>(objc_msgSend(object, weigh_selector, 2.5, 1.5f)), 26);
    EXPECT_EQ(objc_msgSend(object, halve_selector, 3.0), nil);
    EXPECT_EQ(msg_send<double>(object, halve_selector, 3.0), 1.5);
    g_sends = 0;
    EXPECT_EQ(objc_msgSend(object, take), nil);
    EXPECT_EQ(g_sends, 0) << "a structure cannot pass through varargs";
    EXPECT_EQ(msg_send<long long>(object, take, TestRect{}), 1);
}

// Methods added at run time have no known C++ type, so typed sends go through libffi.
TEST(MessageSend, CallsMethodsAddedAtRunTimeAndSendsNothingToNilOrForUnknownSelectors) {
    Receiver receiver;
    SEL selector = receiver.add("AppWillSleep:", as_imp(&note_object), "v@:@");
    SEL echo_long = receiver.add("echoLong:", as_imp(&echo<long long>), "q@:q");
    EXPECT_EQ(class_getInstanceMethod(receiver.cls, echo_long)->implementation_type, nullptr);
    EXPECT_EQ(msg_send<long long>(receiver.object.get(), echo_long, 7LL), 7);
    g_sends = 0;
    EXPECT_EQ(objc_msgSend(receiver.object.get(), selector, receiver.cls), nil);
    EXPECT_EQ(g_sends, 1);
    EXPECT_EQ(g_last_argument, receiver.cls);
    EXPECT_EQ(objc_msgSend(nil, selector, receiver.cls), nil);
    EXPECT_EQ(objc_msgSend(receiver.object.get(), sel_registerName("neverDefined")), nil);
    EXPECT_EQ(objc_msgSend(receiver.object.get(), nullptr), nil);
    EXPECT_EQ(msg_send<TestRect>(nil, "giveRect").size.width, 0);
    EXPECT_EQ(g_sends, 1);
}
