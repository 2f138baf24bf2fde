#include "platform/foundation/ns_string.h"

#include "platform/foundation/ns_array.h"
#include "tests/platform/foundation/foundation_test_support.h"
#include "tests/platform/objc/objc_test_support.h"
#include "tests/support/objc_values.h"

#include <gtest/gtest.h>

namespace {} // namespace

// The runtime turns its texts into strings by sending "stringWithFormat:" with "%S" through an
// invocation made from the method's encoding; this is that path.
TEST(NSString, FormatsAUtf16TextThroughAnInvocation) {
    AutoreleasePoolScope pool;
    Class cls = class_named("NSString");
    Method method = class_getClassMethod(cls, sel_registerName("stringWithFormat:"));
    ASSERT_TRUE(method);
    EXPECT_STREQ(method_getTypeEncoding(method), "@@:@^S");
    const char16_t text[] = u"Température • 🔋";
    std::uint64_t result =
        invoke_with_slots(cls, "stringWithFormat:", {slot_of(string(u"%S")), slot_of(text)});
    EXPECT_EQ(text_of(reinterpret_cast<id>(result)), "Température • 🔋");
}

TEST(NSString, FormatsThroughObjcMsgSend) {
    AutoreleasePoolScope pool;
    id result = objc_msgSend(class_named("NSString"), sel_registerName("stringWithFormat:"),
                             string(u"%d%%"), 87);
    EXPECT_EQ(text_of(result), "87%");
    EXPECT_EQ(NSString::stringWithFormat(nil, nil, u"x"), nil);
}

TEST(NSString, DecodesCStringsByEncoding) {
    AutoreleasePoolScope pool;
    struct Case {
        const char* bytes;
        NSStringEncoding encoding;
        const char* expected_utf8; // null: nil
    };
    const Case cases[] = {
        {"caf\xE9", NSISOLatin1StringEncoding, "café"},
        {"caf\xC3\xA9", NSISOLatin1StringEncoding, "cafÃ©"},
        {"caf\xC3\xA9", NSUTF8StringEncoding, "café"},
        {"caf\xE9", NSUTF8StringEncoding, nullptr},
        {"plain", NSASCIIStringEncoding, "plain"},
        {"caf\xE9", NSASCIIStringEncoding, nullptr},
        {"text", 30, nullptr},
        {nullptr, NSUTF8StringEncoding, nullptr},
    };
    Class cls = class_named("NSString");
    for (const Case& row : cases) {
        id result = msg_send<id>(cls, "stringWithCString:encoding:", row.bytes, row.encoding);
        EXPECT_EQ(text_of(result), row.expected_utf8 ? row.expected_utf8 : "<nil>")
            << "bytes " << (row.bytes ? row.bytes : "(null)") << ", encoding " << row.encoding;
    }
}

TEST(NSString, CountsUtf16UnitsAndAnswersZeroPastTheEnd) {
    AutoreleasePoolScope pool;
    NSString* battery = string(u"a🔋");
    EXPECT_EQ(msg_send<NSUInteger>(battery, "length"), 3u);
    EXPECT_EQ(msg_send<unichar>(battery, "characterAtIndex:", NSUInteger{1}), 0xD83D);
    EXPECT_EQ(battery->characterAtIndex(3), 0);
    const unichar units[] = {u'o', u'k', u'!'};
    EXPECT_EQ(text_of(NSString::stringWithCharacters(nil, units, 2)), "ok");
    EXPECT_EQ(NSString::stringWithCharacters(nil, nullptr, 2), nil);
}

TEST(NSString, KeepsItsUtf8TextForTheStringsLifetime) {
    AutoreleasePoolScope pool;
    NSString* text = string(u"Grüße");
    const char* first = msg_send<const char*>(text, "UTF8String");
    EXPECT_STREQ(first, "Grüße");
    EXPECT_EQ(text->UTF8String(), first);
    std::u16string lone(1, char16_t(0xDC00));
    EXPECT_STREQ(string(lone)->UTF8String(), "\xEF\xBF\xBD");
    EXPECT_EQ(NSString::from_utf8("a\xFF")->units(), u"a\uFFFD");
}

TEST(NSString, MapsCase) {
    AutoreleasePoolScope pool;
    struct Case {
        std::u16string_view text, upper, lower, capitalized;
    };
    const Case cases[] = {
        {u"hello wORLD", u"HELLO WORLD", u"hello world", u"Hello World"},
        {u"élan\tvital", u"ÉLAN\tVITAL", u"élan\tvital", u"Élan\tVital"},
        {u"  two  spaces", u"  TWO  SPACES", u"  two  spaces", u"  Two  Spaces"},
        {u"line\nend", u"LINE\nEND", u"line\nend", u"Line\nEnd"},
        {u"", u"", u"", u""},
    };
    for (const Case& row : cases) {
        NSString* text = string(row.text);
        EXPECT_EQ(units_of(msg_send<NSString*>(text, "uppercaseString")), row.upper);
        EXPECT_EQ(units_of(msg_send<NSString*>(text, "lowercaseString")), row.lower);
        EXPECT_EQ(units_of(msg_send<NSString*>(text, "capitalizedString")), row.capitalized);
    }
}

TEST(NSString, AnswersPrefixAndSuffixButNeverForAnEmptyOne) {
    AutoreleasePoolScope pool;
    struct Case {
        std::u16string_view text, affix;
        BOOL prefix, suffix;
    };
    const Case cases[] = {
        {u"/Users/me/", u"/", YES, YES}, {u"/Users/me", u"/", YES, NO}, {u"abc", u"abc", YES, YES},
        {u"abc", u"abcd", NO, NO},       {u"abc", u"", NO, NO},         {u"", u"", NO, NO},
        {u"Abc", u"a", NO, NO},
    };
    for (const Case& row : cases) {
        NSString* text = string(row.text);
        NSString* affix = string(row.affix);
        EXPECT_EQ(msg_send<BOOL>(text, "hasPrefix:", affix), row.prefix);
        EXPECT_EQ(msg_send<BOOL>(text, "hasSuffix:", affix), row.suffix);
    }
    EXPECT_EQ(string(u"abc")->hasPrefix(nil), NO);
}

TEST(NSString, SplitsIntoComponents) {
    AutoreleasePoolScope pool;
    struct Case {
        std::u16string_view text, separator;
        std::vector<std::string> parts;
    };
    const Case cases[] = {
        {u"a, b, c", u", ", {"a", "b", "c"}},
        {u",a,,b,", u",", {"", "a", "", "b", ""}},
        {u"", u",", {""}},
        {u"whole", u"", {"whole"}},
        {u"whole", u"xyz", {"whole"}},
    };
    for (const Case& row : cases) {
        auto* parts = msg_send<NSArray*>(string(row.text),
                                         "componentsSeparatedByString:", string(row.separator));
        ASSERT_TRUE(parts);
        std::vector<std::string> texts;
        for (const ObjcRef<>& part : *parts)
            texts.push_back(text_of(part.get()));
        EXPECT_EQ(texts, row.parts);
    }
}

TEST(NSString, ReplacesEveryOccurrence) {
    AutoreleasePoolScope pool;
    struct Case {
        std::u16string_view text, target, replacement, expected;
    };
    const Case cases[] = {
        {u"a-b-c", u"-", u" • ", u"a • b • c"},
        {u"aaaa", u"aa", u"a", u"aa"},
        {u"abc", u"", u"x", u"abc"},
        {u"abc", u"b", u"", u"ac"},
    };
    for (const Case& row : cases) {
        auto* result = msg_send<NSString*>(string(row.text),
                                           "stringByReplacingOccurrencesOfString:withString:",
                                           string(row.target), string(row.replacement));
        EXPECT_EQ(units_of(result), row.expected);
    }
}

TEST(NSString, EqualTextsAreEqualAndHashAlike) {
    AutoreleasePoolScope pool;
    NSString* a = string(u"Cycle Count");
    NSString* b = string(u"Cycle Count");
    NSString* c = string(u"Cycle count");
    EXPECT_TRUE(msg_send<BOOL>(a, "isEqual:", static_cast<id>(b)));
    EXPECT_TRUE(msg_send<BOOL>(a, "isEqualToString:", b));
    EXPECT_EQ(msg_send<NSUInteger>(a, "hash"), msg_send<NSUInteger>(b, "hash"));
    EXPECT_FALSE(a->isEqual(c));
    EXPECT_FALSE(a->isEqual(nil));
    EXPECT_FALSE(a->isEqual(class_named("NSString")));
}

TEST(NSString, DescribesItselfAndOtherObjects) {
    AutoreleasePoolScope pool;
    NSString* text = string(u"self");
    EXPECT_EQ(msg_send<id>(text, "description"), text);
    ObjcRef<> plain = ObjcRef<>::adopt(msg_send<id>(class_named("NSObject"), "new"));
    std::string description = text_of(msg_send<id>(plain.get(), "description"));
    EXPECT_EQ(description.rfind("<NSObject: 0x", 0), 0u) << description;
}

TEST(NSString, ClassMethodsMakeInstancesOfTheReceivingClass) {
    AutoreleasePoolScope pool;
    Class subclass = make_runtime_class("TestString", class_named("NSString"));
    ASSERT_TRUE(subclass);
    id result = msg_send<id>(subclass, "stringWithString:", string(u"sub"));
    EXPECT_EQ(object_getClass(result), subclass);
    EXPECT_EQ(text_of(result), "sub");
}
