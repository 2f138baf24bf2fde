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
        {"\xE2\x82", std::nullopt, u"\uFFFD"},                           // cut off at the end
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

TEST(UnicodeText, EncodesPairsAsOneCharacterAndLoneSurrogatesAsReplacement) {
    const std::pair<std::u16string, std::string> rows[] = {
        {u"\U0001F50B\U00010000", "\xF0\x9F\x94\x8B\xF0\x90\x80\x80"},
        {std::u16string{0xDBFF, 0xDC00, 0xD800, 0xDFFF}, "\xF4\x8F\xB0\x80\xF0\x90\x8F\xBF"},
        {std::u16string{0xD83D, u'x'}, "\xEF\xBF\xBDx"},
        {std::u16string{u'x', 0xDC0B}, "x\xEF\xBF\xBD"},
        {std::u16string{0xDC00, 0xD800}, "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {std::u16string{0xD7FF, 0xE000}, "\xED\x9F\xBF\xEE\x80\x80"},
    };
    for (const auto& [units, utf8] : rows)
        EXPECT_EQ(utf16_to_utf8(units), utf8);
}

TEST(UnicodeText, MapsCaseOfLatinGreekAndCyrillicUnitsWhateverTheLocale) {
    struct Case {
        char16_t unit, upper, lower;
    };
    const Case cases[] = {
        {u'a', u'A', u'a'},       {u'z', u'Z', u'z'}, {u'A', u'A', u'a'},  {u'Z', u'Z', u'z'},
        {u'@', u'@', u'@'},       {u'[', u'[', u'['}, {u'`', u'`', u'`'},  {u'{', u'{', u'{'},
        {u'é', u'É', u'é'},       {u'Ö', u'Ö', u'ö'}, {0xFF, 0x178, 0xFF}, {u'ß', u'ß', u'ß'},
        {u'×', u'×', u'×'},       {u'α', u'Α', u'α'}, {u'Ж', u'Ж', u'ж'},  {u'1', u'1', u'1'},
        {0xD83D, 0xD83D, 0xD83D},
    };
    for (const Case& row : cases) {
        EXPECT_EQ(uppercase_unit(row.unit), row.upper) << std::hex << unsigned(row.unit);
        EXPECT_EQ(lowercase_unit(row.unit), row.lower) << std::hex << unsigned(row.unit);
    }
}
