#include "platform/foundation/unicode_text.h"

#include <gtest/gtest.h>

namespace {

struct Utf8Case {
    std::string_view bytes;
    std::optional<std::u16string> strict; // nullopt: refused
    std::u16string lenient;
};

const Utf8Case k_utf8_cases[] = {
    {"", u"", u""},
    {"plain", u"plain", u"plain"},
    {"\xC3\xA9t\xC3\xA9", u"été", u"été"},
    {"\xE2\x80\xA2", u"\u2022", u"\u2022"},
    {"\xF0\x9F\x94\x8B", u"\U0001F50B", u"\U0001F50B"},
    {"a\xFF"
     "b",
     std::nullopt, u"a\uFFFDb"},
    {"\xC0\xAF", std::nullopt, u"\uFFFD\uFFFD"},                     // overlong '/'
    {"\xED\xA0\x80", std::nullopt, u"\uFFFD\uFFFD\uFFFD"},           // encoded surrogate
    {"\xF4\x90\x80\x80", std::nullopt, u"\uFFFD\uFFFD\uFFFD\uFFFD"}, // above U+10FFFF
    {"\xE2\x82", std::nullopt, u"\uFFFD"},                           // cut off at the end
    {"\xE2\x82"
     "A",
     std::nullopt, u"\uFFFDA"}, // cut off before ASCII
};

} // namespace

TEST(UnicodeText, DecodesUtf8StrictlyOrWithReplacements) {
    for (const Utf8Case& row : k_utf8_cases) {
        EXPECT_EQ(utf8_to_utf16_strict(row.bytes), row.strict) << "bytes: " << row.bytes;
        EXPECT_EQ(utf8_to_utf16_lenient(row.bytes), row.lenient) << "bytes: " << row.bytes;
    }
}

TEST(UnicodeText, EncodesPairsAsOneCharacterAndLoneSurrogatesAsReplacement) {
    struct Case {
        std::u16string units;
        std::string utf8;
    };
    const Case cases[] = {
        {u"é•", "\xC3\xA9\xE2\x80\xA2"},
        {u"\U0001F50B\U00010000", "\xF0\x9F\x94\x8B\xF0\x90\x80\x80"},
        {std::u16string(1, char16_t(0xD83D)) + u"x", "\xEF\xBF\xBDx"},
        {u"x" + std::u16string(1, char16_t(0xDC0B)), "x\xEF\xBF\xBD"},
    };
    for (const Case& row : cases) {
        EXPECT_EQ(utf16_to_utf8(row.units), row.utf8);
    }
}

TEST(UnicodeText, MapsCaseOfLatinGreekAndCyrillicUnitsWhateverTheLocale) {
    struct Case {
        char16_t unit, upper, lower;
    };
    const Case cases[] = {
        {u'a', u'A', u'a'},  {u'Z', u'Z', u'z'}, {u'é', u'É', u'é'},       {u'Ö', u'Ö', u'ö'},
        {0xFF, 0x178, 0xFF}, {u'ß', u'ß', u'ß'}, {u'×', u'×', u'×'},       {u'α', u'Α', u'α'},
        {u'Ж', u'Ж', u'ж'},  {u'1', u'1', u'1'}, {0xD83D, 0xD83D, 0xD83D},
    };
    for (const Case& row : cases) {
        EXPECT_EQ(uppercase_unit(row.unit), row.upper) << std::hex << unsigned(row.unit);
        EXPECT_EQ(lowercase_unit(row.unit), row.lower) << std::hex << unsigned(row.unit);
    }
}
