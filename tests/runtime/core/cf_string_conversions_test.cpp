#include "runtime/core/cf_string_conversions.h"

#include "tests/runtime/core/temp_result.h"

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

TEST(CFStringConversions, KeepWithinTheBufferAndRoundTripEveryUnit) {
    OwnedCFString cf(u"ab\U0001F50Bc");
    struct Row {
        int64_t size;
        int64_t written;
        std::u16string text;
    };
    const Row rows[] = {{1, 0, u""},   // room for the terminator alone
                        {4, 2, u"ab"}, // the surrogate pair would be cut: left out whole
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
    // Every unit, a lone surrogate too, comes back; null converts as empty.
    const OwnedCFString lone(u"a \xD800 b");
    EXPECT_EQ(result_above_live([&](TempOffset p) { return CFStringToString(lone.string, p); }),
              u"a \xD800 b");
    EXPECT_EQ(CFStringGetLength(OwnedCFString(nullptr).string), 0);
    EXPECT_EQ(std::u16string_view(CFStringToString(nullptr, 0)), u"");
}

} // namespace
} // namespace rt
