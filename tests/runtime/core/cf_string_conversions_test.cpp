#include "runtime/core/cf_string_conversions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>

namespace rt {
namespace {

// A CFString made from the units, released at the end of the scope.
struct OwnedCFString {
    explicit OwnedCFString(const char16_t* text) : string(StringToCFString(text)) {}
    ~OwnedCFString() { CFRelease(string); }
    CFStringRef string;
};

std::u16string cf_units(CFStringRef string) {
    std::u16string units(static_cast<size_t>(CFStringGetLength(string)), u'\0');
    CFStringGetCharacters(string, CFRange{0, CFStringGetLength(string)}, units.data());
    return units;
}

TEST(CFStringConversions, RoundTripsEveryUnit) {
    InitStrings();
    AppendTemp(u"live");
    const std::u16string texts[] = {u"", u"Temp\u00e9rature \U0001F50B", u"lone \xD800 half"};
    for (const std::u16string& text : texts) {
        OwnedCFString cf(text.c_str());
        EXPECT_EQ(cf_units(cf.string), text);
        const TempOffset p = GetTempAreaStats().position;
        EXPECT_EQ(std::u16string_view(CFStringToString(cf.string, p)), text);
        EXPECT_EQ(GetTempAreaStats().position, p + static_cast<TempOffset>(2 * text.size()));
        EXPECT_EQ(std::u16string_view(TempAddress(1), 4), u"live");
    }
    EXPECT_EQ(CFStringGetLength(OwnedCFString(nullptr).string), 0); // null converts as empty
    EXPECT_EQ(std::u16string_view(CFStringToString(nullptr, 0)), u"");
}

TEST(CFStringConversions, IntoBufferKeepsWithinTheSize) {
    OwnedCFString cf(u"ab\U0001F50Bc");
    struct Row {
        int64_t size;
        int64_t written;
        std::u16string text;
    };
    const Row rows[] = {{4, 2, u"ab"}, // the surrogate pair would be cut: left out whole
                        {5, 4, u"ab\U0001F50B"},
                        {100, 5, u"ab\U0001F50Bc"}};
    for (const Row& row : rows) {
        char16_t buffer[8];
        std::fill(std::begin(buffer), std::end(buffer), u'#');
        EXPECT_EQ(CFStringIntoBuffer(buffer, cf.string, row.size), row.written) << row.size;
        EXPECT_EQ(std::u16string_view(buffer), row.text) << row.size;
        EXPECT_TRUE(row.size >= 8 || buffer[row.size] == u'#') << "written past " << row.size;
    }
    char16_t buffer[2] = {u'#', u'#'};
    EXPECT_EQ(CFStringIntoBuffer(buffer, cf.string, 0), 0);
    EXPECT_EQ(CFStringIntoBuffer(buffer, cf.string, -5), 0);
    EXPECT_EQ(buffer[0], u'#');
    EXPECT_EQ(CFStringIntoBuffer(buffer, nullptr, 2), 0);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(CFStringIntoBuffer(nullptr, cf.string, 2), 0);
}

} // namespace
} // namespace rt
