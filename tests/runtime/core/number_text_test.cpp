#include "runtime/core/number_text.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cwctype>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

namespace rt {
namespace {

constexpr float inf = std::numeric_limits<float>::infinity();
constexpr float nan = std::numeric_limits<float>::quiet_NaN();

std::string shown(const char16_t* text) {
    return text ? String(text).utf8() : "(null)";
}

// Runs a string-producing call at the current position, checks that its result lies at that
// offset with the position at its terminator, gives the area back and returns the text. The area
// keeps what earlier calls wrote beyond the position: a result that does not end itself shows.
template <class Produce>
std::string produced(Produce produce) {
    const TempOffset p = GetTempAreaStats().position;
    const char16_t* result = produce(p);
    EXPECT_EQ(TempOffsetOf(result), p + 1) << "result not at the result offset";
    EXPECT_EQ(GetTempAreaStats().position, p + 2 * UnitCount(result)) << "position not at its end";
    std::string text = shown(result);
    SetEmptyResult(p);
    return text;
}

class NumberText : public ::testing::Test {
  protected:
    void SetUp() override {
        InitStrings();
        InitLocale();
    }
};

TEST_F(NumberText, IntegerToTextWritesDecimalDigits) {
    // The digit count changes at every power of ten.
    std::vector<int64_t> values = {INT64_MIN, INT64_MAX};
    for (int64_t power = 1; power <= INT64_MAX / 10; power *= 10)
        values.insert(values.end(), {power - 1, power, power + 1, -power, 10 * power - 1});
    for (const int64_t value : values)
        EXPECT_EQ(produced([&](TempOffset p) { return IntegerToText(value, p); }),
                  std::to_string(value));
}

TEST_F(NumberText, TextToIntegerReadsTheThreeNotationsAndWraps) {
    const std::pair<const char16_t*, int64_t> rows[] = {
        {nullptr, 0}, {u"", 0},       {u"   123abc", 123}, {u"+ 5", 0},   {u"\t \t42", 42},
        {u"\n5", 0},  {u"--5", 0},    {u"1e3", 1},         {u"$FF", 255}, {u"-$1a", -26},
        {u"$", 0},    {u"%1011", 11}, {u"%0010x", 2},      {u"%2", 0},    {u"\u0663", 0},
    };
    // These, and the long binary number after them, wrap modulo 2^64.
    const std::pair<const char16_t*, int64_t> wrapping[] = {
        {u"-9223372036854775808", INT64_MIN}, {u"9223372036854775808", INT64_MIN},
        {u"18446744073709551615", -1},        {u"-18446744073709551615", 1},
        {u"$FFFFFFFFFFFFFFFF", -1},           {u"$10000000000000005", 5},
    };
    for (const auto& [text, expected] : wrapping)
        EXPECT_EQ(TextToInteger(text), expected) << "text " << shown(text);
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(TextToInteger(text), expected) << "text " << shown(text);
    EXPECT_EQ(TextToInteger((u"%1" + std::u16string(65, u'0') + u"11").c_str()), 3);
}

// Only an exact zero loses its sign; -0.001 prints as printf prints it. The last digit is rounded
// on the float's exact binary value, a tie going to the even digit.
TEST_F(NumberText, FloatToTextPrintsTheFloatTrimsAndRoundsHalfToEven) {
    const std::tuple<float, int32_t, const char*> rows[] = {
        {1.5f, -1, "1.5"},       {0.1f, -1, "0.1000000015"}, {-0.0f, -1, "0"},
        {-0.0f, 2, "0.00"},      {-1e-11f, -1, "-0"},        {-0.001f, 2, "-0.00"},
        {7.0f, 3, "7.000"},      {7.5f, INT32_MIN, "8"},     {16777217.0f, 0, "16777216"},
        {3.3f, 8, "3.29999995"}, {inf, 2, "+Infinity"},      {-inf, -1, "-Infinity"},
        {nan, 2, "NaN"},         {0.125f, 2, "0.12"},        {2.5f, 0, "2"},
        {3.5f, 0, "4"},          {2.675f, 2, "2.67"},        {1.005f, 2, "1.00"},
        {0.045f, 2, "0.05"},
    };
    for (const auto& [value, decimals, expected] : rows)
        EXPECT_EQ(
            produced([d = decimals, v = value](TempOffset p) { return FloatToText(d, p, v); }),
            expected)
            << value << ", decimals " << decimals;
    EXPECT_EQ(produced([](TempOffset p) { return FloatToText(-1, p, FLT_MAX); }),
              "340282346638528859811704183484516925440");
}

TEST_F(NumberText, TextToFloatParsesSpecialWordsAndNumbers) {
    const std::pair<const char16_t*, double>
        rows[] = {{nullptr, 0.0},        {u"", 0.0},
                  {u"+Infinity", inf},   {u"+iNFINITY", inf},
                  {u"-INFINITY", -inf},  {u"nan", nan},
                  {u"NaN", nan},         {u"12.5", 12.5},
                  {u"1,5", 1.0},         {u"abc", 0.0},
                  {u"  3.25x", 3.25},    {u".5", 0.5},
                  {u"12.5.3", 12.5},     {u"-2.5e-1", -0.25},
                  {u"1\u20AC2.5", 12.5}, // units of 256 and above are dropped before parsing
                  {u"\u00B25", 0.0}};    // a unit below 256 stays, and is no digit
    for (const auto& [text, expected] : rows) {
        const double value = TextToFloat(text);
        if (std::isnan(expected)) {
            EXPECT_TRUE(std::isnan(value)) << "text " << shown(text) << " gave " << value;
            continue;
        }
        EXPECT_EQ(value, expected) << "text " << shown(text);
    }
    // Only the first 1023 bytes that units below 256 give are read.
    EXPECT_EQ(TextToFloat((std::u16string(1022, u' ') + u"7").c_str()), 7.0);
    EXPECT_EQ(TextToFloat((std::u16string(1023, u' ') + u"7").c_str()), 0.0);
    EXPECT_EQ(TextToFloat((std::u16string(2000, u'\u20AC') + u"7").c_str()), 7.0);
}

TEST_F(NumberText, InitLocaleKeepsThePointButKnowsUnicodeCase) {
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    EXPECT_STREQ(std::localeconv()->decimal_point, ".");
    // Both "en_US.UTF-8" and the "C.UTF-8" fallback lower-case beyond ASCII.
    EXPECT_EQ(std::towlower(0xC9), static_cast<wint_t>(0xE9));
    EXPECT_EQ(std::towlower(0x0416), static_cast<wint_t>(0x0436));
}

} // namespace
} // namespace rt
