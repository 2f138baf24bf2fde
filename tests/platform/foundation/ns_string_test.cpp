#include "platform/foundation/ns_string.h"

#include "tests/platform/foundation/foundation_test_support.h"
#include "tests/support/objc_values.h"

#include <gtest/gtest.h>

// The runtime's native messages send stringWithFormat: with "%S" and stringWithCString:encoding:
// with 8-bit texts; here, the encodings and edge cases they do not reach.
TEST(NSString, DecodesCStringsByEncoding) {
    AutoreleasePoolScope pool;
    const struct {
        const char* bytes;
        NSStringEncoding encoding;
        const char* expected_utf8; // null: nil
    } rows[] = {
        {"caf\xE9", NSISOLatin1StringEncoding, "café"},
        {"caf\xC3\xA9", NSUTF8StringEncoding, "café"},
        {"caf\xE9", NSUTF8StringEncoding, nullptr},
        {"text", 30, nullptr},
        {nullptr, NSUTF8StringEncoding, nullptr},
    };
    for (const auto& row : rows) {
        id result = msg_send<id>(class_named("NSString"), "stringWithCString:encoding:", row.bytes,
                                 row.encoding);
        EXPECT_EQ(text_of(result), row.expected_utf8 ? row.expected_utf8 : "<nil>")
            << "bytes " << (row.bytes ? row.bytes : "(null)") << ", encoding " << row.encoding;
    }
}

TEST(NSString, CapitalizesEachWordAfterWhiteSpace) {
    AutoreleasePoolScope pool;
    const std::pair<std::u16string_view, std::u16string_view> rows[] = {
        {u"hello wORLD", u"Hello World"},
        {u"élan\tvital", u"Élan\tVital"},
        {u"line\nend-of", u"Line\nEnd-of"},
    };
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(units_of(msg_send<NSString*>(string(text), "capitalizedString")), expected);
}
