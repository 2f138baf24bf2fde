#include "runtime/ui/native_message.h"

#include "platform/foundation/ns_number.h"
#include "platform/foundation/ns_string.h"
#include "tests/platform/objc/objc_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using rt::SendNativeMessage;

// What the methods of the recorder class last received.
struct Received {
    int calls = 0;
    long long integer = 0;
    std::u16string text;
    bool text_was_nil = false;
    double real = 0;
    TestRect rect{};
};
Received g_received;

// Counts a call of a recorder method and passes its value through.
template <class T>
T counted(T value) {
    ++g_received.calls;
    return value;
}

void take_text(id, SEL, id text) {
    ++g_received.calls;
    g_received.text_was_nil = text == nil;
    if (text) g_received.text = static_cast<NSString*>(text)->units();
}
long long echo_integer(id, SEL, long long value) {
    ++g_received.calls;
    return g_received.integer = value;
}

// A class made at run time whose methods record what they are sent.
class NativeMessage : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_class = make_runtime_class("Recorder");
        add("setTitle:", as_imp(take_text), "v@:@");
        add("setInteger:forKey:", as_imp(+[](id, SEL, long long value, id key) {
                take_text(nil, nullptr, key);
                g_received.integer = value;
            }),
            "v@:q@");
        add("echo:", as_imp(echo_integer), "q@:q");
        add("first:second:",
            as_imp(+[](id, SEL, long long a, long long b) { return counted(a * 1000 + b); }),
            "q@:qq");
        add("setLength:", as_imp(+[](id, SEL, double value) { g_received.real = counted(value); }),
            "v@:d");
        add("setFrame:", as_imp(+[](id, SEL, TestRect rect) { g_received.rect = counted(rect); }),
            "v@:{CGRect={CGPoint=dd}{CGSize=dd}}");
        add("operatingSystemVersion", as_imp(+[](id, SEL) {
                return counted(TestVersion{12, 7, 3});
            }),
            "{NSOperatingSystemVersion=qqq}@:");
        add("ratio", as_imp(+[](id, SEL) { return counted(0.75); }), "d@:");
        add("isReady", as_imp(+[](id, SEL) -> BOOL { return counted(YES); }), "c@:");
        add("sign", as_imp(+[](id, SEL) -> signed char { return counted(-1); }), "c@:");
        class_addMethod(object_getClass(reinterpret_cast<id>(s_class)), sel_registerName("echo:"),
                        as_imp(echo_integer), "q@:q");
    }
    // Every method counts its call.
    static void add(const char* selector, IMP imp, const char* types) {
        ASSERT_TRUE(class_addMethod(s_class, sel_registerName(selector), imp, types)) << selector;
    }

    void SetUp() override { g_received = {}; }

    static inline Class s_class = nil;
    AutoreleasePoolScope m_pool;
    ObjcRef<> m_recorder = ObjcRef<>::adopt(class_createInstance(s_class, 0));
    id recorder() const { return m_recorder.get(); }
    std::string class_text(const char* selector) const {
        return std::string(class_getName(s_class)) + " " + selector;
    }
};

TEST_F(NativeMessage, SendsClassAndInstanceMethodsWithPlainValues) {
    const std::string text = class_text("echo:");
    EXPECT_EQ(SendNativeMessage(nullptr, 0, text.c_str(), 7), 7); // an 8-bit text, a class method
    EXPECT_EQ(SendNativeMessage(nullptr, recorder(), u"first:", 4, u"second:", -2), 3998);
    // One piece naming two parameters: the second is never read from past the given values.
    EXPECT_EQ(SendNativeMessage(nullptr, recorder(), u"first:second:", 7), 7000);
}

TEST_F(NativeMessage, ConvertsTextArgumentsToNativeStrings) {
    EXPECT_EQ(
        SendNativeMessage(nullptr, recorder(), u"setInteger:", 5, u"forKey:$", u"Z\u00e9\u20ac"),
        0);
    EXPECT_EQ(std::tuple(g_received.integer, g_received.text), std::tuple(5, u"Z\u00e9\u20ac"));
    SendNativeMessage(nullptr, recorder(), "setInteger:", 6, "forKey:$", "Z\xe9"); // ISO Latin 1
    EXPECT_EQ(g_received.text, u"Z\u00e9");
    SendNativeMessage(nullptr, recorder(), u"setTitle:$", rt::String(u"Show") + u"Time");
    EXPECT_EQ(g_received.text, u"ShowTime");
    SendNativeMessage(nullptr, recorder(), u"setTitle:$", 0); // zero: nil
    EXPECT_EQ(std::tuple(g_received.text_was_nil, g_received.calls), std::tuple(true, 4));
}

TEST_F(NativeMessage, PassesArgumentsAndResultsByAddress) {
    const double length = 22.5;
    SendNativeMessage(nullptr, recorder(), u"setLength:@", &length);
    EXPECT_EQ(g_received.real, 22.5);
    SendNativeMessage(nullptr, recorder(), u"setLength:@", 0); // zero: left unset
    EXPECT_EQ(g_received.real, 0.0);
    long long buffer[3] = {-1, -1, -1};
    EXPECT_EQ(SendNativeMessage(buffer, recorder(), u"operatingSystemVersion"), 0);
    EXPECT_EQ(std::vector<long long>(buffer, buffer + 3), (std::vector<long long>{12, 7, 3}));
}

TEST_F(NativeMessage, ResultsWithoutABufferAndCallsThatSendNothing) {
    const std::string unknown = class_text("noSuchMethod");
    const std::string instance_method = class_text("isReady");
    const std::u16string long_name = u"NSNumber " + std::u16string(300, u'a');
    struct Row {
        const char* what;
        int64_t receiver;
        const void* text;
        int64_t expected;
        int calls;
    };
    const auto self = reinterpret_cast<intptr_t>(recorder());
    const Row rows[] = {
        {"a BOOL", self, u"isReady", 1, 1},
        {"a simple call returns the result as it comes back", self, u"sign", -1, 1},
        {"no floating-point result without a buffer", self, u"ratio", 0, 1},
        {"longer than 8 bytes: dropped", self, u"operatingSystemVersion", 0, 1},
        {"no result", self, u"setTitle:", 0, 1},
        {"unknown class", 0, u"NoSuchClass42 new", 0, 0},
        {"receiver 0 without a class name", 0, u"count", 0, 0},
        {"unknown selector", self, u"noSuchMethod", 0, 0},
        {"class without that class method", 0, unknown.c_str(), 0, 0},
        {"instance method sent to the class", 0, instance_method.c_str(), 0, 0},
        {"a name too long", 0, long_name.c_str(), 0, 0},
    };
    for (const Row& row : rows) {
        g_received = {};
        EXPECT_EQ(SendNativeMessage(nullptr, row.receiver, row.text), row.expected) << row.what;
        EXPECT_EQ(g_received.calls, row.calls) << row.what;
    }
    SendNativeMessage(nullptr, recorder(), u"setFrame:", 12345); // a plain value for a struct
    EXPECT_EQ(g_received.calls, 0);

    int64_t block[3 + 2 * 9] = {0, self};
    for (int i = 0; i < 9; ++i)
        block[2 + i] = reinterpret_cast<intptr_t>(u"a:");
    EXPECT_EQ(rt::SendNativeMessageBlock(block), 0);
    EXPECT_EQ(g_received.calls, 0);
    EXPECT_EQ(rt::SendNativeMessageBlock(nullptr), 0);
}

TEST_F(NativeMessage, ANarrowIntegerParameterTakesTheLowBytesOfItsWord) {
    // A native class's method, sent straight to its C++ function rather than through libffi.
    const int64_t word = (int64_t{1} << 32) | 0xFFFFFFF9; // -7 in its low four bytes
    const int64_t number = SendNativeMessage(nullptr, 0, u"NSNumber numberWithInt:", word);
    ASSERT_NE(number, 0);
    EXPECT_EQ(reinterpret_cast<NSNumber*>(number)->integer(), -7);
}

} // namespace
