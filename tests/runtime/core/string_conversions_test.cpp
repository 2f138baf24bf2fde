#include "runtime/core/string_conversions.h"

#include "runtime/core/cf_string_conversions.h"
#include "tests/runtime/core/temp_result.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>

namespace rt {
namespace {

TEST(StringConversions, ReadsTextFromMemoryInEachFormat) {
    static const char16_t utf16_text[] = u"hi\0xx";
    static const char bytes_with_zero[] = "abc\0def";
    const std::tuple<const char*, const void*, int64_t, int, std::u16string_view> rows[] = {
        {"UTF-8 to the terminator", "n\xC3\xA9", -1, 2, u"n\u00E9"},
        {"one byte per unit", "n\xC3\xA9", -1, 0, u"n\u00C3\u00A9"},
        {"UTF-8 length in characters", "n\xC3\xA9xyz", 2, 2, u"n\u00E9"},
        {"UTF-8 length in bytes cuts a sequence", "n\xC3\xA9xyz", 2, 2 | 64, u"n"},
        {"UTF-8 length in bytes", "n\xC3\xA9xyz", 3, 2 | 64, u"n\u00E9"},
        {"higher format bits select nothing", "n\xC3\xA9", -1, 2 | 32, u"n\u00E9"},
        {"UTF-8 characters stop at the zero byte", bytes_with_zero, 99, 2, u"abc"},
        {"one byte length", "abcdef", 2, 0, u"ab"},
        {"one byte stops at a zero byte", bytes_with_zero, 7, 0, u"abc"},
        {"UTF-16 length", utf16_text, 1, 25, u"h"},
        {"UTF-16 stops at a zero unit", utf16_text, 5, 25, u"hi"},
        {"UTF-16 to the terminator", utf16_text, -1, 25, u"hi"},
        {"length 0", "abc", 0, 0, u""},
        {"length below -1", "abc", -2, 2, u""},
        {"UTF-8 with a byte 0xF8", "ab\xF8", -1, 2, u""},
        {"UTF-8 stray byte", "a\x80", -1, 2, u"a\uFFFD"},
        {"null address", nullptr, 3, 0, u""}};
    for (const auto& [what, address, length, format, expected] : rows) {
        const std::u16string actual =
            result_above_live([a = address, n = length, f = format](TempOffset p) {
                return TextFromMemory(a, n, f, p);
            });
        EXPECT_EQ(actual, expected) << what;
    }
}

// Sources at odd addresses, or in the temporary area where the result goes, even across a
// growth of the area.
TEST(StringConversions, ReadsSourcesOfAnyAlignmentAndInTheArea) {
    alignas(2) unsigned char bytes[16] = {};
    const char16_t units[] = u"ok";
    std::memcpy(bytes + 1, units, sizeof units);
    EXPECT_EQ(result_above_live([&](TempOffset p) { return TextFromMemory(bytes + 1, -1, 25, p); }),
              u"ok");
    // Each byte becomes two: written in place the result would overtake the bytes still unread.
    for (const int format : {0, 2}) {
        InitStrings();
        char16_t* area = ReserveTemp(4, 0);
        std::memcpy(area, "battery", 8);
        const char16_t* result = TextFromMemory(area, 7, format, 0);
        EXPECT_EQ(std::u16string(result), u"battery") << "format " << format;
    }
    InitStrings();
    const std::u16string text(12000, u'q');
    AppendTemp(text.c_str());
    const int64_t capacity = GetTempAreaStats().capacity;
    const char16_t* result = TextFromMemory(TempAddress(1), -1, 25, GetTempAreaStats().position);
    EXPECT_GT(GetTempAreaStats().capacity, capacity);
    EXPECT_TRUE(std::u16string_view(result) == text);
}

TEST(StringConversions, ConvertsStringsToNewByteBlocks) {
    const std::tuple<const char16_t*, std::string_view, std::string_view> rows[] = {
        {nullptr, "", ""},
        {u"", "", ""},
        {u"85%", "85%", "85%"},
        {u"\u00E9\u2022\U0001F50B", "\xC3\xA9\xE2\x80\xA2\xF0\x9F\x94\x8B", "\xE9"}};
    for (const auto& [text, utf8, one_byte] : rows) {
        const std::unique_ptr<char, decltype(&std::free)> wide(StringToUTF8(text), std::free),
            narrow(StringToASCII(text), std::free);
        ASSERT_TRUE(wide && narrow);
        EXPECT_EQ(std::tuple(std::string_view(wide.get()), std::string_view(narrow.get())),
                  std::tuple(utf8, one_byte));
    }
}

// A CFString made from the units, released at the end of the scope.
struct OwnedCFString {
    explicit OwnedCFString(const char16_t* text) : string(StringToCFString(text)) {}
    ~OwnedCFString() { CFRelease(string); }
    CFStringRef string;
};

TEST(CFStringConversions, KeepWithinTheBufferAndRoundTripEveryUnit) {
    OwnedCFString cf(u"ab\U0001F50Bc");
    const std::tuple<int64_t, int64_t, std::u16string> rows[] = {
        {1, 0, u""},   // room for the terminator alone
        {4, 2, u"ab"}, // the surrogate pair would be cut: left out whole
        {5, 4, u"ab\U0001F50B"},
        {100, 5, u"ab\U0001F50Bc"}};
    for (const auto& [size, written, text] : rows) {
        char16_t buffer[8];
        std::fill(std::begin(buffer), std::end(buffer), u'#');
        EXPECT_EQ(CFStringIntoBuffer(buffer, cf.string, size), written) << size;
        EXPECT_EQ(std::u16string_view(buffer), text) << size;
        EXPECT_TRUE(size >= 8 || buffer[size] == u'#') << "written past " << size;
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
