#include "platform/foundation/core_foundation.h"

#include "platform/foundation/clock.h"
#include "tests/platform/foundation/foundation_test_support.h"
#include "tests/support/objc_values.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

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
        {real(-2.0), kCFNumberIntType, stored<std::int32_t>(-2), true},
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
    EXPECT_EQ(CFGetTypeID(nullptr), 0u);
    EXPECT_NE(CFGetTypeID(number), CFGetTypeID(kCFBooleanTrue));
    EXPECT_TRUE(CFBooleanGetValue(kCFBooleanTrue));
    EXPECT_FALSE(CFBooleanGetValue(kCFBooleanFalse));
    EXPECT_FALSE(CFBooleanGetValue(nullptr));
    // Retaining and releasing the shared booleans never frees them.
    for (int i = 0; i < 4; ++i)
        CFRelease(kCFBooleanTrue);
    EXPECT_TRUE(CFBooleanGetValue(kCFBooleanTrue));
}

// The registry reader's key buffer: a string that fits exactly, and one a byte too long.
TEST(CoreFoundation, GetsCStringsOnlyWhenTheWholeTextAndTerminatorFit) {
    AutoreleasePoolScope pool;
    struct Case {
        std::u16string text;
        CFStringEncoding encoding;
        CFIndex buffer_size;
        bool ok;
        const char* expected;
    };
    const Case cases[] = {
        {u"Voltage", kCFStringEncodingUTF8, 8, true, "Voltage"},
        {u"Voltage", kCFStringEncodingUTF8, 7, false, ""},
        {u"🔋", kCFStringEncodingUTF8, 5, true, "\xF0\x9F\x94\x8B"},
        {u"a" + std::u16string(1, char16_t(0xD83D)), kCFStringEncodingUTF8, 64, false, ""},
        {u"", kCFStringEncodingUTF8, 1, true, ""},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(text_of(string(row.text)) + " in " + std::to_string(row.buffer_size) +
                     " bytes");
        // A guard byte after the part handed out catches writes past the given size.
        std::string buffer(std::size_t(row.buffer_size) + 1, '#');
        EXPECT_EQ(
            CFStringGetCString(string(row.text), buffer.data(), row.buffer_size, row.encoding) != 0,
            row.ok);
        EXPECT_STREQ(buffer.c_str(), row.expected);
        EXPECT_EQ(buffer.back(), '#');
    }
    char one[1] = {'x'};
    EXPECT_FALSE(CFStringGetCString(string(u"x"), one, 0, kCFStringEncodingUTF8));
    EXPECT_EQ(one[0], 'x') << "a buffer of no bytes is not written";
    EXPECT_FALSE(CFStringGetCString(nullptr, one, 1, kCFStringEncodingUTF8));
}

TEST(CoreFoundation, CreatesStringsFromBytesInEachEncoding) {
    struct Case {
        std::string bytes;
        CFStringEncoding encoding;
        std::optional<std::u16string> expected;
    };
    auto utf16 = [](std::u16string_view units) {
        return std::string(reinterpret_cast<const char*>(units.data()), units.size() * 2);
    };
    const Case cases[] = {
        {utf16(u"é🔋"), kCFStringEncodingUnicode, u"é🔋"},
        {utf16(u"\uFEFFab"), kCFStringEncodingUnicode, u"\uFEFFab"},
        {"abc", kCFStringEncodingUnicode, std::nullopt},
        {"", kCFStringEncodingUnicode, u""},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE("bytes " + row.bytes + ", encoding " + std::to_string(row.encoding));
        CFStringRef created = CFStringCreateWithBytes(
            kCFAllocatorDefault, reinterpret_cast<const UInt8*>(row.bytes.data()),
            static_cast<CFIndex>(row.bytes.size()), row.encoding, false);
        ASSERT_EQ(created != nullptr, row.expected.has_value());
        if (!created) continue;
        EXPECT_EQ(created->units(), *row.expected);
        EXPECT_EQ(created->retainCount(), 1u) << "the caller owns the one reference";
        CFRelease(created);
    }
    EXPECT_EQ(CFStringCreateWithBytes(nullptr, nullptr, 3, kCFStringEncodingUTF8, false), nullptr);
    EXPECT_EQ(CFStringCreateWithBytes(nullptr, nullptr, -1, kCFStringEncodingUTF8, false), nullptr);
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
        {lone, {0, 3}, kCFStringEncodingUTF8, 0, false, 8, 1, 1, "a"},
        {lone, {1, 1}, kCFStringEncodingUnicode, 0, false, 8, 1, 2, "\x3D\xD8"},
        {u"ab", {0, 2}, kCFStringEncodingUnicode, 0, true, 8, 2, 6, with_mark},
        {u"é🔋", {0, 3}, kCFStringEncodingUnicode, 0, false, 4, 1, 2, std::string("\xE9\0", 2)},
        {u"abc", {1, 1}, kCFStringEncodingUTF8, 0, false, 8, 1, 1, "b"},
        {u"abc", {2, 2}, kCFStringEncodingUTF8, 0, false, 8, 0, 0, ""},
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

// Absolute times count from 2001 by the platform's clock, so a virtual clock moves them too.
TEST(CoreFoundation, GivesAbsoluteTimesFrom2001ByThePlatformClock) {
    ManualClock clock(1796688000.5); // 2026-12-08T00:00:00.5Z
    EXPECT_EQ(CFAbsoluteTimeGetCurrent(), 818380800.5);
    clock.advance(10);
    EXPECT_EQ(CFAbsoluteTimeGetCurrent(), 818380810.5);
}
