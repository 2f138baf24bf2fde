#include "platform/foundation/core_foundation.h"

#include "platform/foundation/clock.h"
#include "tests/platform/foundation/foundation_test_support.h"
#include "tests/support/objc_values.h"

#include <gtest/gtest.h>

#include <tuple>

// The bytes `value` is stored as, to compare with what CFNumberGetValue wrote.
template <class T>
std::string stored(T value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

TEST(CoreFoundation, ReadsNumbersAsEachTypeKeepingTheSignAndSayingWhetherExact) {
    AutoreleasePoolScope pool;
    auto real = [](double value) { return NSNumber::make(value).autorelease(); };
    const struct {
        CFNumberRef number;
        CFNumberType type;
        std::string expected; // the bytes stored
        bool exact;
    } rows[] = {
        {integer(-1250), kCFNumberIntType, stored<std::int32_t>(-1250), true},
        // Too large for 32 bits: the low bits are stored and the answer is false.
        {integer(0x1'0000'0007), kCFNumberIntType, stored<std::int32_t>(7), false},
        {integer(-0x8000'0000ll), kCFNumberIntType, stored<std::int32_t>(INT32_MIN), true},
        {real(2.5), kCFNumberIntType, stored<std::int32_t>(2), false},
        {real(1e10), kCFNumberIntType, stored<std::int32_t>(INT32_MAX), false},
        {kCFBooleanTrue, kCFNumberIntType, stored<std::int32_t>(1), true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("number " + text_of(row.number->stringValue()) + ", type " +
                     std::to_string(row.type));
        char bytes[16] = {};
        EXPECT_EQ(CFNumberGetValue(row.number, row.type, bytes) != 0, row.exact);
        EXPECT_EQ(std::string(bytes, row.expected.size()), row.expected);
    }
    CFNumberRef number = integer(5);
    int value = -9;
    EXPECT_FALSE(CFNumberGetValue(nullptr, kCFNumberIntType, &value));
    EXPECT_FALSE(CFNumberGetValue(number, kCFNumberIntType, nullptr));
    EXPECT_EQ(value, -9);
    EXPECT_NE(CFGetTypeID(number), CFGetTypeID(kCFBooleanTrue));
    EXPECT_TRUE(CFBooleanGetValue(kCFBooleanTrue));
    // Retaining and releasing the shared booleans never frees them.
    for (int i = 0; i < 4; ++i)
        CFRelease(kCFBooleanTrue);
    EXPECT_TRUE(CFBooleanGetValue(kCFBooleanTrue));
}

// The registry reader's key buffer: the whole text and its terminator fit, or nothing is given.
TEST(CoreFoundation, GetsCStringsOnlyWhenTheWholeTextAndTerminatorFit) {
    AutoreleasePoolScope pool;
    const std::tuple<std::u16string, CFIndex, const char*> cases[] = {
        {u"Voltage", 8, "Voltage"},
        {u"Voltage", 7, nullptr},
        {u"\U0001F50B", 5, "\xF0\x9F\x94\x8B"}};
    for (const auto& [text, size, expected] : cases) {
        std::string buffer(std::size_t(size) + 1, '#'); // the guard byte catches writes past it
        EXPECT_EQ(CFStringGetCString(string(text), buffer.data(), size, kCFStringEncodingUTF8) != 0,
                  expected != nullptr);
        EXPECT_STREQ(buffer.c_str(), expected ? expected : "");
        EXPECT_EQ(buffer.back(), '#');
    }
}

// The runtime reads every string through CFStringGetBytes in the Unicode encoding.
TEST(CoreFoundation, GetsBytesOfWholeCharactersThatFitReplacingOrStoppingAtLostOnes) {
    AutoreleasePoolScope pool;
    const std::u16string lone = u"a" + std::u16string(1, char16_t(0xD83D)) + u"b";
    const std::string with_mark("\xFF\xFE\x61\0\x62\0", 6); // the byte-order mark, then "ab"
    const struct {
        std::u16string text;
        CFRange range;
        CFStringEncoding encoding;
        UInt8 loss;
        bool external;
        CFIndex capacity; // -1: no buffer, only counting
        CFIndex converted, used;
        std::string bytes;
    } rows[] = {
        {u"é🔋x", {0, 4}, kCFStringEncodingUTF8, 0, false, 16, 4, 7, "\xC3\xA9\xF0\x9F\x94\x8Bx"},
        {u"é🔋x", {0, 4}, kCFStringEncodingUTF8, 0, false, 5, 1, 2, "\xC3\xA9"},
        {u"é🔋x", {0, 4}, kCFStringEncodingUTF8, 0, false, -1, 4, 7, ""},
        {lone, {0, 3}, kCFStringEncodingUTF8, '?', false, 8, 3, 3, "a?b"},
        {lone, {1, 1}, kCFStringEncodingUnicode, 0, false, 8, 1, 2, "\x3D\xD8"},
        {u"ab", {0, 2}, kCFStringEncodingUnicode, 0, true, 8, 2, 6, with_mark},
        {u"é🔋", {0, 3}, kCFStringEncodingUnicode, 0, false, 4, 1, 2, std::string("\xE9\0", 2)},
        {u"abc", {0, 3}, 30, 0, false, 8, 0, 0, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(text_of(string(row.text)) + " from " + std::to_string(row.range.location));
        std::string buffer(16, '#');
        CFIndex used = -1;
        auto* bytes = row.capacity < 0 ? nullptr : reinterpret_cast<UInt8*>(buffer.data());
        EXPECT_EQ(CFStringGetBytes(string(row.text), row.range, row.encoding, row.loss,
                                   row.external, bytes, row.capacity, &used),
                  row.converted);
        EXPECT_EQ(used, row.used);
        EXPECT_EQ(buffer.substr(0, row.bytes.size() + 1), row.bytes + '#');
    }
}

TEST(CoreFoundation, GivesAbsoluteTimesFrom2001ByThePlatformClock) {
    ManualClock clock(1796688000.5); // 2026-12-08T00:00:00.5Z
    EXPECT_EQ(CFAbsoluteTimeGetCurrent(), 818380800.5);
    clock.advance(10);
    EXPECT_EQ(CFAbsoluteTimeGetCurrent(), 818380810.5);
}
