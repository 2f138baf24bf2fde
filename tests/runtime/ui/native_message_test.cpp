#include "runtime/ui/native_message.h"

#include "platform/foundation/ns_number.h"
#include "platform/foundation/ns_string.h"
#include "platform/foundation/ns_user_defaults.h"
#include "tests/platform/objc/objc_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

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

void take_text(id, SEL, id text) {
    ++g_received.calls;
    g_received.text_was_nil = text == nil;
    if (text) g_received.text = static_cast<NSString*>(text)->units();
}
void take_integer_and_key(id, SEL, long long value, id key) {
    take_text(nil, nullptr, key);
    g_received.integer = value;
}
long long echo_integer(id, SEL, long long value) {
    ++g_received.calls;
    g_received.integer = value;
    return value;
}
long long take_two(id, SEL, long long a, long long b) {
    ++g_received.calls;
    return a * 1000 + b;
}
void take_real(id, SEL, double value) {
    ++g_received.calls;
    g_received.real = value;
}
void take_rect(id, SEL, TestRect rect) {
    ++g_received.calls;
    g_received.rect = rect;
}
TestVersion version(id, SEL) {
    ++g_received.calls;
    return {12, 7, 3};
}
double ratio(id, SEL) {
    ++g_received.calls;
    return 0.75;
}
BOOL yes(id, SEL) {
    ++g_received.calls;
    return YES;
}
signed char minus_one(id, SEL) {
    ++g_received.calls;
    return -1;
}

// A class made at run time whose methods record what they are sent.
class NativeMessage : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_class = make_runtime_class("Recorder");
        add("setTitle:", as_imp(take_text), "v@:@");
        add("setInteger:forKey:", as_imp(take_integer_and_key), "v@:q@");
        add("echo:", as_imp(echo_integer), "q@:q");
        add("first:second:", as_imp(take_two), "q@:qq");
        add("setLength:", as_imp(take_real), "v@:d");
        add("setFrame:", as_imp(take_rect), "v@:{CGRect={CGPoint=dd}{CGSize=dd}}");
        add("operatingSystemVersion", as_imp(version), "{NSOperatingSystemVersion=qqq}@:");
        add("ratio", as_imp(ratio), "d@:");
        add("isReady", as_imp(yes), "c@:");
        add("sign", as_imp(minus_one), "c@:");
        class_addMethod(object_getClass(reinterpret_cast<id>(s_class)), sel_registerName("echo:"),
                        as_imp(echo_integer), "q@:q");
    }
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

TEST_F(NativeMessage, SendsAClassMethodNamedInTheText) {
    const int64_t number = SendNativeMessage(nullptr, 0, u"NSNumber numberWithInt:", 42);
    ASSERT_NE(number, 0);
    EXPECT_EQ(SendNativeMessage(nullptr, number, u"intValue"), 42);

    const std::string text = class_text("echo:");
    EXPECT_EQ(SendNativeMessage(nullptr, 0, text.c_str(), 7), 7); // an 8-bit text
}

TEST_F(NativeMessage, PassesPlainValuesAsTheirSixtyFourBits) {
    EXPECT_EQ(SendNativeMessage(nullptr, recorder(), u"echo:", -2), -2);
    EXPECT_EQ(g_received.integer, -2);
    EXPECT_EQ(SendNativeMessage(nullptr, recorder(), u"first:", 4, u"second:", 2), 4002);
}

TEST_F(NativeMessage, ConvertsTextArgumentsToNativeStrings) {
    struct Row {
        const void* key;
        std::u16string expected;
        bool wide = true;
    };
    const Row rows[] = {
        {u"ShowTime", u"ShowTime"},
        {u"Z\u00e9\u20ac", u"Z\u00e9\u20ac"},
        {"Z\xe9", u"Z\u00e9", false}, // 8-bit texts are ISO Latin 1
    };
    for (const Row& row : rows) {
        g_received = {};
        const bool wide = row.wide;
        const void* setter = wide ? static_cast<const void*>(u"setInteger:")
                                  : static_cast<const void*>("setInteger:");
        const void* key_piece =
            wide ? static_cast<const void*>(u"forKey:$") : static_cast<const void*>("forKey:$");
        EXPECT_EQ(SendNativeMessage(nullptr, recorder(), setter, 5, key_piece, row.key), 0);
        EXPECT_EQ(g_received.calls, 1);
        EXPECT_EQ(g_received.integer, 5);
        EXPECT_EQ(g_received.text, row.expected);
    }
}

TEST_F(NativeMessage, LeavesTextAndAddressArgumentsGivenAsZeroUnset) {
    SendNativeMessage(nullptr, recorder(), u"setTitle:$", 0);
    EXPECT_EQ(g_received.calls, 1);
    EXPECT_TRUE(g_received.text_was_nil);

    g_received.real = 9;
    SendNativeMessage(nullptr, recorder(), u"setLength:@", 0);
    EXPECT_EQ(g_received.real, 0.0);
}

TEST_F(NativeMessage, PassesArgumentsByAddress) {
    const double length = 22.5;
    SendNativeMessage(nullptr, recorder(), u"setLength:@", &length);
    EXPECT_EQ(g_received.real, 22.5);

    const TestRect frame{{1, 2}, {300, 400}};
    SendNativeMessage(nullptr, recorder(), u"setFrame:@", &frame);
    EXPECT_EQ(g_received.rect.origin.y, 2);
    EXPECT_EQ(g_received.rect.size.width, 300);
}

TEST_F(NativeMessage, CopiesTheWholeResultIntoABuffer) {
    long long buffer[3] = {-1, -1, -1};
    EXPECT_EQ(SendNativeMessage(buffer, recorder(), u"operatingSystemVersion"), 0);
    EXPECT_EQ(buffer[0], 12);
    EXPECT_EQ(buffer[1], 7);
    EXPECT_EQ(buffer[2], 3);

    double value = 0;
    EXPECT_EQ(SendNativeMessage(&value, recorder(), u"ratio"), 0);
    EXPECT_EQ(value, 0.75);
}

TEST_F(NativeMessage, ResultsWithoutABuffer) {
    struct Row {
        const char16_t* selector;
        int64_t expected;
    };
    const Row rows[] = {
        {u"isReady", 1},
        {u"sign", -1}, // a simple call returns the result as it comes back
        {u"ratio", 0}, // a direct send carries no floating-point result: use a buffer
        {u"operatingSystemVersion", 0}, // longer than 8 bytes: dropped
        {u"setTitle:", 0},              // no result
    };
    for (const Row& row : rows) {
        EXPECT_EQ(SendNativeMessage(nullptr, recorder(), row.selector), row.expected)
            << std::string(row.selector,
                           row.selector + std::char_traits<char16_t>::length(row.selector));
    }
}

TEST_F(NativeMessage, SendsNothingWhenThereIsNoReceiverOrMethod) {
    const std::string unknown = class_text("noSuchMethod");
    const std::string instance_method = class_text("isReady");
    struct Row {
        const char* what;
        int64_t receiver;
        const void* text;
    };
    const Row rows[] = {
        {"unknown class", 0, u"NoSuchClass42 new"},
        {"receiver 0 without a class name", 0, u"count"},
        {"unknown selector", reinterpret_cast<intptr_t>(recorder()), u"noSuchMethod"},
        {"class without that class method", 0, unknown.c_str()},
        {"instance method sent to the class", 0, instance_method.c_str()},
    };
    for (const Row& row : rows) {
        g_received = {};
        EXPECT_EQ(SendNativeMessage(nullptr, row.receiver, row.text), 0) << row.what;
        EXPECT_EQ(g_received.calls, 0) << row.what;
    }
}

TEST_F(NativeMessage, RefusesAPlainValueForAParameterWiderThanAWord) {
    SendNativeMessage(nullptr, recorder(), u"setFrame:", 12345);
    EXPECT_EQ(g_received.calls, 0);
}

TEST_F(NativeMessage, AMethodTakingMoreArgumentsThanGivenGetsZeros) {
    // One piece naming two parameters: the second is never read from past the given values.
    EXPECT_EQ(SendNativeMessage(nullptr, recorder(), u"first:second:", 7), 7000);
}

TEST_F(NativeMessage, StopsAtTheLimitsOfNamesAndPieces) {
    const std::u16string long_name = u"NSNumber " + std::u16string(300, u'a');
    EXPECT_EQ(SendNativeMessage(nullptr, 0, long_name.c_str()), 0);

    int64_t block[3 + 2 * 9] = {0, reinterpret_cast<intptr_t>(recorder())};
    for (int i = 0; i < 9; ++i)
        block[2 + i] = reinterpret_cast<intptr_t>(u"a:");
    EXPECT_EQ(rt::SendNativeMessageBlock(block), 0);
    EXPECT_EQ(g_received.calls, 0);
    EXPECT_EQ(rt::SendNativeMessageBlock(nullptr), 0);
}

TEST_F(NativeMessage, AcceptsRuntimeStringValues) {
    const rt::String key = rt::String(u"Show") + u"Time";
    SendNativeMessage(nullptr, recorder(), u"setTitle:$", key);
    EXPECT_EQ(g_received.text, u"ShowTime");
}

TEST_F(NativeMessage, DrivesTheFoundationStandInsByName) {
    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("zerarazi-send-" + std::to_string(getpid()));
    std::filesystem::create_directories(home);
    const std::string saved_home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", home.c_str(), 1);
    reset_standard_user_defaults_for_tests();

    const int64_t defaults = SendNativeMessage(nullptr, 0, u"NSUserDefaults standardUserDefaults");
    ASSERT_NE(defaults, 0);
    EXPECT_EQ(defaults, SendNativeMessage(nullptr, 0, "NSUserDefaults standardUserDefaults"));
    SendNativeMessage(nullptr, defaults, u"setInteger:", 5, u"forKey:$", u"ShowTemp");
    EXPECT_EQ(SendNativeMessage(nullptr, defaults, u"integerForKey:$", u"ShowTemp"), 5);
    EXPECT_EQ(SendNativeMessage(nullptr, defaults, u"synchronize"), 1);
    EXPECT_TRUE(std::filesystem::exists(home / "Library/Preferences/org.zerarazi.Zerarazi.plist"));

    unsetenv("ZERARAZI_OS_VERSION");
    const int64_t process = SendNativeMessage(nullptr, 0, u"NSProcessInfo processInfo");
    long long version[3] = {-1, -1, -1};
    EXPECT_EQ(SendNativeMessage(version, process, u"operatingSystemVersion"), 0);
    EXPECT_EQ(version[0], 12);
    EXPECT_EQ(version[1], 0);
    EXPECT_EQ(version[2], 0);

    reset_standard_user_defaults_for_tests();
    setenv("HOME", saved_home.c_str(), 1);
    std::filesystem::remove_all(home);
}

} // namespace
