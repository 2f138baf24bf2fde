#include "platform/foundation/property_list.h"

#include "platform/foundation/binary_plist_guard.h"
#include "platform/foundation/ns_array.h"
#include "platform/foundation/ns_data.h"
#include "platform/foundation/ns_date.h"
#include "platform/foundation/ns_dictionary.h"
#include "tests/platform/foundation/binary_plist_bytes.h"
#include "tests/platform/foundation/foundation_test_support.h"
#include "tests/support/file_bytes.h"
#include "tests/support/objc_values.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

std::span<const std::uint8_t> plist_bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

NSNumber* real(double value) {
    return NSNumber::make(value).autorelease();
}
NSDate* date(double seconds_since_1970) {
    return NSDate::make(seconds_since_1970).autorelease();
}
NSArray* array(std::initializer_list<id> items) {
    return NSArray::make(std::span(items.begin(), items.size())).autorelease();
}
NSDictionary* dictionary(std::initializer_list<id> keys, std::initializer_list<id> values) {
    return NSDictionary::make(std::span(keys.begin(), keys.size()),
                              std::span(values.begin(), values.size()))
        .autorelease();
}

std::string repeated(std::string_view piece, int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += piece;
    return text;
}

std::string nested_xml(int depth) {
    return "<plist version=\"1.0\">" + repeated("<array>", depth) + "<integer>1</integer>" +
           repeated("</array>", depth) + "</plist>";
}

const std::string k_valid_xml =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
    "<key>ShowPercentage</key><integer>1</integer><key>Name</key><string>x</string>"
    "</dict></plist>\n";

} // namespace

// Integers at both ends, reals that look like integers or are tiny or infinite, markup, control
// characters and surrogate pairs in text, dates before 1970, empty containers, key order.
TEST(PropertyList, EveryKindOfValueSurvivesAWriteAndARead) {
    AutoreleasePoolScope pool;
    id original = array({
        integer(std::numeric_limits<std::int64_t>::max()),
        integer(std::numeric_limits<std::int64_t>::min()),
        real(5.0),
        real(-2.5e-300),
        real(std::numeric_limits<double>::infinity()),
        NSBoolean::shared(true),
        NSBoolean::shared(false),
        string(u"a <b> & \"c\" ]]> 'd'"),
        string(u"h\u00e9llo \u20ac \U0001F50B"),
        string(u" \t\r\n\u0001 "),
        NSData::make(plist_bytes(std::string_view("\x00\x01\xfe\xff", 4))).autorelease(),
        date(-1'000'000'000),
        array({array({}), dictionary({}, {}), string(u"")}),
        dictionary(
            {string(u"zeta"), string(u"alpha"), string(u"")},
            {integer(1), dictionary({string(u"k")}, {date(1'600'000'000)}), string(u"empty key")}),
    });
    TemporaryFolder folder;
    put_file(folder.file("values.plist"), format_property_list(original));
    std::string error;
    ObjcRef<> back = read_property_list_file(folder.file("values.plist"), &error);
    EXPECT_EQ(describe(back.get()), describe(original)) << error;
    EXPECT_TRUE(back && back->isEqual(original));
}

TEST(PropertyList, AcceptsListsUpToTheLimitsAndRefusesOthersWithAReason) {
    const std::string deep = "nested deeper than 256 levels";
    const struct {
        const char* name;
        std::string bytes;
        std::string reason; // a part of the error text; empty: accepted
    } rows[] = {
        {"XML nested to the limit", nested_xml(k_property_list_max_depth), ""},
        {"binary nested to the limit", chain_binary(k_property_list_max_depth), ""},
        {"binary of 255 objects from 8", doubling_binary(7, "\x09"), ""},
        {"empty", "", "empty"},
        {"plain text", "hello, world", "not a property list"},
        {"binary magic alone", "bplist00", "malformed"},
        {"circular binary", chain_binary(1, true), "circular"},
        {"binary of a million objects", chain_binary(1'000'000), "more than 10000 objects"},
        // 40 arrays, each holding the next twice: 2^41 - 1 objects from 203 bytes, which the
        // parser once built until memory ran out.
        {"binary of 2^41 - 1 shared objects", doubling_binary(40, "\x10\x01"),
         "expands to more than 10000 objects (a shared object counts at every reference)"},
        {"offset table beyond the trailer",
         BinaryPlist{.objects = {"\x08"}, .table_offset = 200}.bytes(),
         "offset table outside the file"},
        {"more objects than the offset table holds",
         BinaryPlist{.objects = {"\x08"}, .object_count = ~0ull}.bytes(), "more objects than"},
        {"references of no bytes", BinaryPlist{.objects = {"\x08"}, .ref_size = 0}.bytes(),
         "offsets or references"},
        {"top object beyond the last", BinaryPlist{.objects = {"\x08"}, .top = 1}.bytes(),
         "top object"},
        {"reference to a missing object", BinaryPlist{.objects = {"\xA1\x05"}}.bytes(),
         "missing object"},
        {"array longer than the file", BinaryPlist{.objects = {"\xAF\x11\x10\x01", "\x08"}}.bytes(),
         "does not fit"},
        {"dictionary key of UTF-16 holding U+0000",
         BinaryPlist{.objects = {"\xD1\x01\x02", std::string("\x61\x00\x00", 3), "\x09"}}.bytes(),
         "a dictionary key holding U+0000"},
        {"shared text expanding to 20 megabytes",
         doubling_binary(12, "\x5F\x11\x13\x88" + std::string(5000, 'x')),
         "expands to more than 16777216 bytes"},
        {"XML of too many objects",
         "<plist><array>" + repeated("<true/>", 10'001) + "</array></plist>",
         "more than 10000 objects"},
        {"binary nested one level too deep", chain_binary(k_property_list_max_depth + 1), deep},
        {"XML nested one level too deep", nested_xml(k_property_list_max_depth + 1), deep},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        AutoreleasePoolScope pool;
        std::string error;
        ObjcRef<> parsed = parse_property_list(plist_bytes(row.bytes), &error);
        EXPECT_EQ(describe(parsed.get()) == "nil", !row.reason.empty());
        EXPECT_EQ(error.empty(), row.reason.empty()) << error;
        EXPECT_NE(error.find(row.reason), std::string::npos) << error;
    }
}

// Three levels of doubling over a three-letter text: 15 objects, 8 of them the text (24 bytes),
// in 3 nested arrays. Each limit is met exactly, then missed by one.
TEST(BinaryPlistGuard, CountsEveryReferenceToASharedObjectUpToEachLimitExactly) {
    const std::string shared = doubling_binary(3, std::string("\x53") + "abc");
    const std::pair<BinaryPlistLimits, const char*> rows[] = {
        {{3, 15, 24}, ""},
        {{3, 14, 24}, "more than 14 objects"},
        {{3, 15, 23}, "more than 23 bytes"},
        {{2, 15, 24}, "nested deeper than 2 levels"}};
    for (const auto& [limits, reason] : rows) {
        const std::string refusal = binary_plist_refusal(plist_bytes(shared), limits);
        EXPECT_EQ(refusal.empty(), *reason == 0) << refusal;
        EXPECT_NE(refusal.find(reason), std::string::npos) << refusal;
    }
}

// What settings are stored from: a copy, then its text.
TEST(PropertyList, RefusesToCopyOrFormatWhatAPropertyListCannotHold) {
    AutoreleasePoolScope pool;
    NSMutableArray* holds_itself = NSMutableArray::make().autorelease();
    holds_itself->addObject(holds_itself);
    id plain = ObjcRef<>::adopt(NSObject::newObject(class_named("NSObject"))).autorelease();
    id too_deep = integer(1);
    for (int i = 0; i < k_property_list_max_depth + 1; ++i)
        too_deep = array({too_deep});
    const struct {
        const char* name;
        id object;
    } rows[] = {
        {"nil", nil},
        {"an unpaired surrogate", string(u"a\xD800")},
        {"a number as a key", dictionary({integer(1)}, {integer(2)})},
        {"a date beyond 2069", date(4'000'000'000.0)},
        {"an array holding itself", holds_itself},
        {"nesting one level too deep", too_deep},
        {"a plain object deep inside",
         array({integer(1), dictionary({string(u"k")}, {array({plain})})})},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string error;
        EXPECT_EQ(copy_property_list(row.object, &error).get(), nil);
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(format_property_list(row.object), "");
    }
    holds_itself->removeAllObjects(); // ends the reference cycle
}
