#include "runtime/ui/native_message.h"

#include "platform/foundation/ns_number.h"
#include "platform/foundation/ns_string.h"
#include "runtime/ui/native_message_cache.h"
#include "runtime/ui/native_message_text.h"
#include "tests/platform/objc/objc_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace rt {
namespace {

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
    const auto self = reinterpret_cast<intptr_t>(recorder());
    const std::tuple<const char*, int64_t, const void*, int64_t, int> rows[] = {
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
    for (const auto& [what, receiver, text, expected, calls] : rows) {
        g_received = {};
        EXPECT_EQ(SendNativeMessage(nullptr, receiver, text), expected) << what;
        EXPECT_EQ(g_received.calls, calls) << what;
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

// What a parse found, as "class|selector|argument kinds|simple" (kinds: p plain, t text, a by
// address; simple: "s" when the call needs no invocation), or "refused".
std::string parsed_text(const std::vector<const void*>& pieces, bool has_receiver,
                        bool has_buffer = false) {
    NativeMessageText parsed;
    if (!ParseNativeMessage({pieces, has_receiver, has_buffer}, parsed)) return "refused";
    std::string kinds;
    for (int i = 0; i < parsed.argument_count; ++i)
        kinds += "pta"[static_cast<int>(parsed.kinds[i])];
    return std::string(parsed.class_name) + "|" + parsed.selector + "|" + kinds + "|" +
           (IsSimpleNativeCall(parsed, has_buffer) ? "s" : "");
}

// Eight-bit texts are read as they are, UTF-16 units by their low byte.
TEST(NativeMessageText, ParsesClassNamesSelectorsAndArgumentKindsAndRefusesWhatDoesNotFit) {
    using Pieces = std::vector<const void*>;
    const std::u16string fits = std::u16string(255, u'C') + u" alloc", too_long = u"C" + fits;
    const std::u16string long_piece = std::u16string(200, u'x') + u":";
    const std::tuple<Pieces, bool, bool, std::string> cases[] = {
        {{u"NSUserDefaults standardUserDefaults"},
         false,
         false,
         "NSUserDefaults|standardUserDefaults||s"},
        {{u"setInteger:", u"forKey:$"}, true, false, "|setInteger:forKey:|pt|"},
        {{u"statusItemWithLength:"}, true, false, "|statusItemWithLength:|p|s"},
        {{u"operatingSystemVersion"}, true, true, "|operatingSystemVersion||"},
        {{u"setLength:@"}, true, false, "|setLength:|a|"},
        {{u"NSString stringWithString:$"}, false, false, "NSString|stringWithString:|t|"},
        {{u"count"}, false, false, "|count||s"}, // no space: no class to send to
        {{u"odd$"}, true, false, "|odd$||s"},    // no argument: the suffix is part of the name
        {{u"a b:"}, true, false, "|a b:|p|s"},   // with a receiver a space is in the selector
        {{u"a:", u"b:", u"c:", u"d:", u"e:"}, true, false, "|a:b:c:d:e:|ppppp|"},
        {{u"a:", u"b:", u"c:", u"d:"}, true, false, "|a:b:c:d:|pppp|s"},
        {{u"set:", u"done"}, true, false, "|set:done|p|s"}, // one argument, as the pieces say
        {{"NSProcessInfo processInfo"}, false, false, "NSProcessInfo|processInfo||s"},
        {{"setInteger:", "forKey:$"}, true, false, "|setInteger:forKey:|pt|"},
        {{u"b\u0141:"}, true, false, "|bA:|p|s"},
        {{fits.c_str()}, false, false, std::string(255, 'C') + "|alloc||s"},
        {Pieces(8, u"p:"), true, false, "|p:p:p:p:p:p:p:p:|pppppppp|"},
        {{too_long.c_str()}, false, false, "refused"},
        {{long_piece.c_str(), long_piece.c_str()}, true, false, "refused"},
        {Pieces(9, u"p:"), true, false, "refused"},
        {{}, true, false, "refused"},
        {{nullptr}, true, false, "refused"},
        {{u""}, true, false, "refused"},
    };
    for (const auto& [pieces, has_receiver, has_buffer, expected] : cases)
        EXPECT_EQ(parsed_text(pieces, has_receiver, has_buffer), expected)
            << &pieces - &std::get<0>(cases[0]);
    EXPECT_EQ(std::tuple(DetectTextWidth(u"ab"), DetectTextWidth("ab"), DetectTextWidth(u""),
                         DetectTextWidth(nullptr)),
              std::tuple(TextWidth::Utf16, TextWidth::Bytes, TextWidth::Utf16, TextWidth::Utf16));
}

// The parsed call as "class|selector|argument count", or "none".
std::string sent(const CachedNativeMessage* message) {
    if (!message) return "none";
    return std::string(message->text.class_name) + "|" + message->text.selector + "|" +
           std::to_string(message->text.argument_count);
}

NativeMessageRequest request(const std::vector<const void*>& pieces, bool has_receiver) {
    return {pieces, has_receiver, false};
}

TEST(NativeMessageCache, ParsesTheSameTextsOnceAndAgainWhenChangedInPlace) {
    NativeMessageCache cache;
    const std::vector<const void*> pieces = {u"setInteger:", u"forKey:$"};
    CachedNativeMessage* first = cache.parse(request(pieces, true));
    first->selector = &cache; // what the call layer registers
    CachedNativeMessage* second = cache.parse(request(pieces, true));
    EXPECT_EQ(std::tuple(second, second->selector, sent(second)),
              std::tuple(first, &cache, "|setInteger:forKey:|2"));

    char16_t text[] = u"NSArray array";
    const std::vector<const void*> changing = {text};
    cache.parse(request(changing, false))->selector = &cache;
    text[9] = u'c'; // "NSArray acray": same address, same length
    CachedNativeMessage* after = cache.parse(request(changing, false));
    EXPECT_EQ(std::tuple(sent(after), after->selector), std::tuple("NSArray|acray|0", nullptr));
    text[7] = 0; // shorter: "NSArray"
    EXPECT_EQ(sent(cache.parse(request(changing, false))), "|NSArray|0");
    EXPECT_EQ(cache.parse_count(), 4u);
}

TEST(NativeMessageCache, AnEntryGivenToAnotherTextKeepsNoTraceOfTheTextItHeld) {
    NativeMessageCache cache;
    char16_t text[] = u"NSArray array";
    const std::vector<const void*> changing = {text};
    cache.parse(request(changing, false));
    std::vector<std::u16string> others;
    for (std::size_t i = 1; i < NativeMessageCache::k_entries; ++i)
        others.push_back(u"count" + std::u16string(i, u'x'));
    for (const std::u16string& other : others)
        cache.parse(request({other.c_str()}, true));
    std::u16string_view(u"count").copy(text + 8, 5); // "NSArray count" takes the oldest entry
    EXPECT_EQ(sent(cache.parse(request(changing, false))), "NSArray|count|0");
    std::u16string_view(u"array").copy(text + 8, 5);
    EXPECT_EQ(sent(cache.parse(request(changing, false))), "NSArray|array|0");
}

TEST(NativeMessageCache, TellsCallsApartByReceiverWidthAndAddress) {
    NativeMessageCache cache;
    const std::vector<const void*> wide = {u"NSString string"};
    const std::vector<const void*> narrow = {"NSString string"};
    const std::u16string copy = u"NSString string";
    EXPECT_EQ(sent(cache.parse(request(wide, false))), "NSString|string|0");
    EXPECT_EQ(sent(cache.parse(request(wide, true))), "|NSString string|0");
    EXPECT_EQ(sent(cache.parse(request(narrow, false))), "NSString|string|0");
    EXPECT_EQ(sent(cache.parse(request({copy.c_str()}, false))), "NSString|string|0");
    cache.parse(request(wide, false));
    cache.parse(request(narrow, false));
    EXPECT_EQ(cache.parse_count(), 4u);
}

TEST(NativeMessageCache, ReplacesTheEntryUsedLeastRecentlyAndRemembersNoFailure) {
    NativeMessageCache cache;
    std::vector<std::u16string> texts;
    for (std::size_t i = 0; i <= NativeMessageCache::k_entries; ++i)
        texts.push_back(u"count" + std::u16string(i, u'x'));
    const std::vector<const void*> kept = {texts[0].c_str()};
    for (std::size_t i = 1; i < texts.size(); ++i) {
        cache.parse(request(kept, true)); // stays the most recent
        cache.parse(request({texts[i].c_str()}, true));
    }
    EXPECT_EQ(sent(cache.parse(request(kept, true))), "|count|0");
    EXPECT_EQ(cache.parse_count(), texts.size());
    // The first of the others made room for the last.
    EXPECT_EQ(sent(cache.parse(request({texts[1].c_str()}, true))), "|countx|0");
    EXPECT_EQ(cache.parse_count(), texts.size() + 1);

    const std::string long_name(300, 'a');
    EXPECT_EQ(cache.parse(request({long_name.c_str()}, true)), nullptr);
    EXPECT_EQ(cache.parse(request({long_name.c_str()}, true)), nullptr);
    EXPECT_EQ(cache.parse_count(), texts.size() + 3);
    EXPECT_EQ(cache.parse(request({}, true)), nullptr);
}

} // namespace
} // namespace rt
