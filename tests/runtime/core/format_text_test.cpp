#include "runtime/core/format_text.h"

#include <gtest/gtest.h>

#include <string>

namespace rt {
namespace {

TEST(FormatText, FormatToStringWritesUtf16AndMeasuresUtf8) {
    // Every row formats the number 42 and one UTF-8 text, in that order.
    struct Row {
        const char16_t* format;
        const char* text;
        std::u16string_view expected;
        int64_t utf8_bytes;
    };
    const Row rows[] = {
        {u"%d%%", "", u"42%", 3},
        {u"%d %s", "\u20AC", u"42 \u20AC", 6},
        {u"%d\U0001F600", "", u"42\U0001F600", 6},
        {u"%5d|%-3s|", "ab", u"   42|ab |", 10},
        {nullptr, "", u"", 0},
        {u"%d%s", "\x80", u"42\uFFFD", 3}, // a stray continuation byte
        {u"%d%s", "\xFF", u"", 3}          // a byte 0xF8 or above rejects the whole text
    };
    for (const Row& row : rows) {
        std::u16string out(16, u'#');
        const int64_t units = FormatToString(out.data(), row.format, 42, row.text);
        EXPECT_EQ(out.substr(0, static_cast<size_t>(units)), row.expected);
        EXPECT_EQ(out[static_cast<size_t>(units)], u'\0');
        // The measured byte length plus one is room enough.
        EXPECT_EQ(out[static_cast<size_t>(row.utf8_bytes) + 1], u'#') << "wrote too far";
        EXPECT_EQ(FormatToString(nullptr, row.format, 42, row.text), row.utf8_bytes);
    }
    // Longer than the stack buffer the common case prints into.
    const std::string long_text = std::string(3000, 'x') + "\u00E9";
    std::u16string out(3010, u'#');
    EXPECT_EQ(FormatToString(out.data(), u"<%s>", long_text.c_str()), 3003);
    EXPECT_EQ(out.substr(2999, 6), u"xx\u00E9>" + std::u16string(1, u'\0') + u'#');
}

TEST(FormatText, BoundedFormatNeverWritesPastItsCapacity) {
    struct Row {
        std::string text;
        int64_t capacity;
        std::u16string expected;
    };
    const Row rows[] = {{"abcdef", 4, u"abc"},
                        {"abc", 1, u""},
                        {"ab\u20AC", 3, u"ab"},        // a character that does not fit is left out
                        {"ab\u20ACd", 4, u"ab\u20AC"}, // one that fits in units stays, bytes aside
                        {"a\U0001F600", 3, u"a"},      // never half of a surrogate pair
                        {"a\U0001F600b", 4, u"a\U0001F600"}, // five bytes, three units
                        {std::string(5000, 'z'), 1000, std::u16string(999, u'z')}};
    for (const Row& row : rows) {
        std::u16string out(static_cast<size_t>(row.capacity) + 1, u'#');
        const int64_t units = format_to_units(out.data(), row.capacity, "%s", row.text.c_str());
        EXPECT_EQ(out.substr(0, static_cast<size_t>(units)), row.expected)
            << "capacity " << row.capacity;
        EXPECT_EQ(out.substr(static_cast<size_t>(units), 1), std::u16string(1, u'\0'));
        EXPECT_EQ(out.back(), u'#') << "wrote past the capacity";
    }
    EXPECT_EQ(format_to_units(nullptr, 8, "%s", "abc"), 0);
}

} // namespace
} // namespace rt
