#include "platform/foundation/unicode_text.h"

#include <gtest/gtest.h>

TEST(UnicodeText, DecodesUtf8StrictlyOrWithReplacements) {
    struct Utf8Case {
        std::string_view bytes;
        std::optional<std::u16string> strict; // nullopt: refused
        std::u16string lenient;
    };
    const Utf8Case cases[] = {
        {"", u"", u""},
        {"a\xFF!", std::nullopt, u"a\uFFFD!"},
        {"\xC0\xAF", std::nullopt, u"\uFFFD\uFFFD"},                     // overlong '/'
        {"\xED\xA0\x80", std::nullopt, u"\uFFFD\uFFFD\uFFFD"},           // encoded surrogate
        {"\xF4\x90\x80\x80", std::nullopt, u"\uFFFD\uFFFD\uFFFD\uFFFD"}, // above U+10FFFF
        {"\xE2\x82z", std::nullopt, u"\uFFFDz"},                         // cut off before ASCII
    };
    for (const Utf8Case& row : cases) {
        EXPECT_EQ(utf8_to_utf16_strict(row.bytes), row.strict) << "bytes: " << row.bytes;
        EXPECT_EQ(utf8_to_utf16_lenient(row.bytes), row.lenient) << "bytes: " << row.bytes;
    }
}

// Each end of each lead byte's range and of its second byte's: the character just inside must
// read and encode back to the same bytes, the sequence just outside is refused.
TEST(UnicodeText, DecodesAndEncodesEveryRangeUpToItsEnds) {
    const std::string_view inside =
        "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xE1\x80\x80\xEC\xBF\xBF\xED\x9F\xBF"
        "\xEE\x80\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF1\x80\x80\x80"
        "\xF3\xBF\xBF\xBF\xF4\x8F\xBF\xBF";
    std::optional<std::u16string> units = utf8_to_utf16_strict(inside);
    ASSERT_TRUE(units);
    EXPECT_EQ(units->size(), 17u);
    EXPECT_EQ(utf8_to_utf16_lenient(inside), *units);
    EXPECT_EQ(utf16_to_utf8(*units), inside);
    const std::string_view outside[] = {"\xC1\xBF",         "\xC2\x7F",        "\xC2\xC0",
                                        "\xE0\x9F\xBF",     "\xEF\xBF\x7F",    "\xF0\x8F\xBF\xBF",
                                        "\xF4\x8F\xBF\xC0", "\xF5\x80\x80\x80"};
    for (std::string_view bytes : outside) {
        EXPECT_FALSE(utf8_to_utf16_strict(bytes)) << bytes;
        EXPECT_NE(utf8_to_utf16_lenient(bytes).find(u'\uFFFD'), std::u16string::npos);
    }
}
