#include "runtime/core/text_encoding.h"

#include "runtime/core/format_text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>

namespace rt {
namespace {

std::span<const unsigned char> bytes_of(std::string_view text) {
    return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

// The decoded units, or u"<rejected>".
std::u16string decode(std::string_view utf8) {
    const int64_t length = utf16_length_of_utf8(bytes_of(utf8));
    if (length == utf8_rejected) return u"<rejected>";
    std::u16string units(static_cast<size_t>(length), u'?');
    EXPECT_EQ(decode_utf8(bytes_of(utf8), units.data()), length) << utf8;
    return units;
}

std::string encode(std::u16string_view units) {
    const std::span<const char16_t> span(units.data(), units.size());
    std::string bytes(static_cast<size_t>(utf8_length_of_utf16(span)), '?');
    EXPECT_EQ(encode_utf8(span, reinterpret_cast<unsigned char*>(bytes.data())),
              static_cast<int64_t>(bytes.size()));
    return bytes;
}

// Octal escapes end by their length, where a hexadecimal one would run on into the next letter.
// Decoding ends at a code point above U+10FFFF before it reaches a 0xF8.
TEST(TextEncoding, DecodesUtf8WithTheRulesForDamagedInput) {
    const std::tuple<std::string_view, std::u16string_view> rows[] = {
        {"a\200b", u"a\uFFFDb"},
        {"\303A", u"\uFFFDA"},
        {"\342\202A", u"\uFFFD\uFFFDA"},
        {"\xC0\x80", u"\uFFFD\uFFFD"},
        {"\xE0\x80\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"ab\xC3", u"ab"},
        {"ab\xF0\x9F\x94", u"ab"},
        {"ab\364\220\200\200cd", u"ab"},
        {"ab\367\277\277\277cd", u"ab"},
        {"", u""},
        {"\xF4\x90\x80\x80\xF8", u""},
        {"\xF8", u"<rejected>"},
        {"abc\xFF", u"<rejected>"},
        {"\xC3\xFE", u"<rejected>"},
    };
    for (const auto& [utf8, expected] : rows)
        EXPECT_EQ(decode(utf8), expected) << utf8;
}

TEST(TextEncoding, EncodesUtf16WithTheRulesForLoneSurrogates) {
    using View = std::u16string_view;
    const std::tuple<std::u16string_view, std::string_view> rows[] = {
        {u"n\u00E9", "n\xC3\xA9"},
        {u"\u007F\u0080\u07FF\u0800", "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80"},
        {u"\uFFFF", "\xEF\xBF\xBF"},
        {u"\U0001F50B", "\xF0\x9F\x94\x8B"},
        {u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
        {View(u"a\xDC00\u0062", 3), "a\355\260\200b"},
        {View(u"a\xD800\u0062", 3), "a"},
        {View(u"a\xD800", 2), "a"},
        {View(u"a\xD800\xD800\xDC00", 4), "a"},
    };
    for (const auto& [units, expected] : rows)
        EXPECT_EQ(encode(units), expected) << testing::PrintToString(std::u16string(units));
}

// Bytes of damaged sequences are passed over without counting.
TEST(TextEncoding, MeasuresTheBytesOfLeadingCharacters) {
    const std::tuple<const char*, int64_t, int64_t> rows[] = {
        {"n\xC3\xA9xyz", 2, 3},
        {"\xF0\x9F\x94\x8B!", 1, 4},
        {"ab", 5, 2},
        {"\200ab", 1, 2},
        {"\303ab", 1, 2},
        {"a\xE2\x82", 2, 3},
        {"a\364\220\200\200b", 2, 6},
        {"a\300\200b", 2, 4},
    };
    for (const auto& [utf8, characters, expected] : rows)
        EXPECT_EQ(
            utf8_bytes_of_characters(reinterpret_cast<const unsigned char*>(utf8), characters),
            expected)
            << utf8 << " characters " << characters;
}

TEST(FormatText, FormatToStringWritesUtf16AndMeasuresUtf8) {
    // Every row formats the number 42 and one UTF-8 text, in that order.
    const std::tuple<const char16_t*, const char*, std::u16string_view, int64_t> rows[] = {
        {u"%d%%", "", u"42%", 3},
        {u"%d %s", "\u20AC", u"42 \u20AC", 6},
        {u"%d\U0001F600", "", u"42\U0001F600", 6},
        {u"%5d|%-3s|", "ab", u"   42|ab |", 10},
        {nullptr, "", u"", 0},
        {u"%d%s", "\x80", u"42\uFFFD", 3}, // a stray continuation byte
        {u"%d%s", "\xFF", u"", 3}          // a byte 0xF8 or above rejects the whole text
    };
    for (const auto& [format, text, expected, utf8_bytes] : rows) {
        std::u16string out(16, u'#');
        const int64_t units = FormatToString(out.data(), format, 42, text);
        EXPECT_EQ(out.substr(0, static_cast<size_t>(units)), expected);
        EXPECT_EQ(out[static_cast<size_t>(units)], u'\0');
        // The measured byte length plus one is room enough.
        EXPECT_EQ(out[static_cast<size_t>(utf8_bytes) + 1], u'#') << "wrote too far";
        EXPECT_EQ(FormatToString(nullptr, format, 42, text), utf8_bytes);
    }
    // Longer than the stack buffer the common case prints into.
    const std::string long_text = std::string(3000, 'x') + "\u00E9";
    std::u16string out(3010, u'#');
    EXPECT_EQ(FormatToString(out.data(), u"<%s>", long_text.c_str()), 3003);
    EXPECT_EQ(out.substr(2999, 6), u"xx\u00E9>" + std::u16string(1, u'\0') + u'#');
}

TEST(FormatText, BoundedFormatNeverWritesPastItsCapacity) {
    const std::tuple<std::string, int64_t, std::u16string> rows[] = {
        {"abcdef", 4, u"abc"},
        {"abc", 1, u""},
        {"ab\u20AC", 3, u"ab"},              // a character that does not fit is left out
        {"ab\u20ACd", 4, u"ab\u20AC"},       // one that fits in units stays, bytes aside
        {"a\U0001F600", 3, u"a"},            // never half of a surrogate pair
        {"a\U0001F600b", 4, u"a\U0001F600"}, // five bytes, three units
        {std::string(5000, 'z'), 1000, std::u16string(999, u'z')}};
    for (const auto& [text, capacity, expected] : rows) {
        std::u16string out(static_cast<size_t>(capacity) + 1, u'#');
        const int64_t units = format_to_units(out.data(), capacity, "%s", text.c_str());
        EXPECT_EQ(out.substr(0, static_cast<size_t>(units)), expected) << "capacity " << capacity;
        EXPECT_EQ(out.substr(static_cast<size_t>(units), 1), std::u16string(1, u'\0'));
        EXPECT_EQ(out.back(), u'#') << "wrote past the capacity";
    }
    EXPECT_EQ(format_to_units(nullptr, 8, "%s", "abc"), 0);
}

} // namespace
} // namespace rt
