#include "runtime/core/format_text.h"

#include <gtest/gtest.h>

#include <string>

namespace rt {
namespace {

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
}

} // namespace
} // namespace rt
