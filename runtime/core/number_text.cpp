#include "runtime/core/number_text.h"

#include "runtime/core/format_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <limits>
#include <optional>
#include <string>

namespace rt {
namespace {

constexpr int64_t integer_reserve_units = 64;
constexpr int64_t float_reserve_units = 1024;
constexpr int32_t max_decimals = 512;
constexpr int32_t default_decimals = 10;
constexpr size_t parse_buffer_bytes = 1024;

// The decimal point of LC_NUMERIC, read once; InitLocale forgets it because it changes the locale.
struct DecimalPointCache {
    char point = '.';
    bool known = false;
};
DecimalPointCache decimal_point_cache;

char locale_decimal_point() {
    if (decimal_point_cache.known) return decimal_point_cache.point;
    const std::lconv* conventions = std::localeconv();
    if (conventions && conventions->decimal_point && conventions->decimal_point[0])
        decimal_point_cache.point = conventions->decimal_point[0];
    decimal_point_cache.known = true;
    return decimal_point_cache.point;
}

// "00" to "99" as code units, so that each step of the digit loop writes two units at once.
struct DigitPairs {
    char16_t units[200];
};
constexpr DigitPairs digit_pairs = [] {
    DigitPairs pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs.units[2 * i] = static_cast<char16_t>(u'0' + i / 10);
        pairs.units[2 * i + 1] = static_cast<char16_t>(u'0' + i % 10);
    }
    return pairs;
}();

// digit_thresholds[n] is the smallest value with more than n digits (0 for n = 0: zero has one).
constexpr auto digit_thresholds = [] {
    std::array<uint64_t, 20> thresholds{};
    uint64_t power = 1;
    for (size_t n = 1; n < thresholds.size(); ++n) {
        power *= 10;
        thresholds[n] = power;
    }
    return thresholds;
}();

// Number of decimal digits of a value, without a loop: the bit width gives the count or one less.
int decimal_digit_count(uint64_t value) {
    const int estimate = (std::bit_width(value | 1) * 1233) >> 12; // 1233 / 4096 ~ log10(2)
    return estimate + (value >= digit_thresholds[static_cast<size_t>(estimate)] ? 1 : 0);
}

void write_pair_before(char16_t* end, uint32_t pair) {
    std::memcpy(end - 2, &digit_pairs.units[2 * pair], 2 * sizeof(char16_t));
}

// The digits of a value below 10^8, the last one just before `end`.
void write_small_digits_before(char16_t* end, uint32_t value) {
    for (; value >= 100; end -= 2) {
        write_pair_before(end, value % 100);
        value /= 100;
    }
    if (value >= 10) {
        write_pair_before(end, value);
        return;
    }
    end[-1] = static_cast<char16_t>(u'0' + value);
}

// The digits of `value`, the last one just before `end`. Blocks of eight digits are split off
// first so that the rest runs on 32-bit numbers, which divide faster.
void write_digits_before(char16_t* end, uint64_t value) {
    constexpr uint64_t block = 100000000;
    for (; value >= block; end -= 8) {
        const uint64_t high = value / block;
        const auto low = static_cast<uint32_t>(value - high * block);
        // Two independent halves, so that their divisions overlap.
        const uint32_t upper = low / 10000;
        const uint32_t lower = low % 10000;
        write_pair_before(end, lower % 100);
        write_pair_before(end - 2, lower / 100);
        write_pair_before(end - 4, upper % 100);
        write_pair_before(end - 6, upper / 100);
        value = high;
    }
    write_small_digits_before(end, static_cast<uint32_t>(value));
}

const char16_t* skip_blanks(const char16_t* text) {
    while (*text == u' ' || *text == u'\t')
        ++text;
    return text;
}

// The value of a digit in the given base, or -1 when the unit is not one.
int digit_value(char16_t unit, int base) {
    int value = -1;
    if (unit >= u'0' && unit <= u'9')
        value = unit - u'0';
    else if (unit >= u'a' && unit <= u'f')
        value = unit - u'a' + 10;
    else if (unit >= u'A' && unit <= u'F')
        value = unit - u'A' + 10;
    return value < base ? value : -1;
}

// Unsigned arithmetic: long inputs wrap modulo 2^64 instead of overflowing.
uint64_t accumulate_digits(const char16_t* text, int base) {
    uint64_t value = 0;
    for (int digit = digit_value(*text, base); digit >= 0; digit = digit_value(*++text, base))
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    return value;
}

uint64_t read_magnitude(const char16_t* text) {
    if (*text == u'%') return accumulate_digits(text + 1, 2);
    if (*text == u'$') return accumulate_digits(text + 1, 16);
    return accumulate_digits(text, 10);
}

int64_t copy_ascii(char16_t* destination, const char* text) {
    int64_t length = 0;
    for (; text[length]; ++length)
        destination[length] = static_cast<char16_t>(text[length]);
    destination[length] = 0;
    return length;
}

// The text of an infinity or NaN, decided by the bit pattern; null for an ordinary value.
const char* special_float_text(float value) {
    const auto bits = std::bit_cast<uint32_t>(value);
    const bool all_exponent_bits = (bits & 0x7F800000u) == 0x7F800000u;
    if (!all_exponent_bits) return nullptr;
    if (bits & 0x007FFFFFu) return "NaN";
    return (bits & 0x80000000u) ? "-Infinity" : "+Infinity";
}

// A guard against a decimal comma, which the "C" numeric locale never gives.
void replace_first_comma(char16_t* text, int64_t length) {
    for (int64_t i = 0; i < length; ++i) {
        if (text[i] != u',') continue;
        text[i] = u'.';
        return;
    }
}

int64_t trim_trailing_zeros(const char16_t* text, int64_t length) {
    if (length == 0 || text[length - 1] != u'0') return length;
    if (!std::char_traits<char16_t>::find(text, static_cast<size_t>(length), u'.')) return length;
    while (text[length - 1] == u'0')
        --length;
    if (text[length - 1] == u'.') --length;
    return length;
}

int64_t print_float(int32_t decimals, float value, char16_t* out) {
    const bool trim = decimals == -1;
    const int precision = trim ? default_decimals : std::clamp(decimals, 0, max_decimals);
    const double widened = value == 0.0f ? 0.0 : static_cast<double>(value);
    int64_t length = format_to_units(out, float_reserve_units, "%.*f", precision, widened);
    replace_first_comma(out, length);
    if (trim) length = trim_trailing_zeros(out, length);
    out[length] = 0;
    return length;
}

// Compares the whole text with a lower-case ASCII word, lower-casing every unit on both sides.
bool equals_ignoring_case(const char16_t* text, const char* lower_word) {
    for (; *text && *lower_word; ++text, ++lower_word) {
        const auto left = std::towlower(static_cast<wint_t>(*text));
        const auto right =
            std::towlower(static_cast<wint_t>(static_cast<unsigned char>(*lower_word)));
        if (left != right) return false;
    }
    return *text == 0 && *lower_word == 0;
}

// The value of a text that is one of the special words as a whole. Lower-casing goes unit by
// unit, so only a text of the word's length can match.
std::optional<double> special_float_value(const char16_t* text) {
    constexpr size_t infinity_length = 9;
    constexpr size_t nan_length = 3;
    const size_t length = std::char_traits<char16_t>::length(text);
    if (length == infinity_length) {
        constexpr double infinity = std::numeric_limits<double>::infinity();
        if (equals_ignoring_case(text, "+infinity")) return infinity;
        if (equals_ignoring_case(text, "-infinity")) return -infinity;
    }
    if (length == nan_length && equals_ignoring_case(text, "nan"))
        return std::numeric_limits<double>::quiet_NaN();
    return std::nullopt;
}

// One byte per unit below 256 (others are dropped), at most size - 1 bytes and a zero byte.
// Returns the index of the first "." in the bytes, or -1; one pass does both.
int64_t narrow_to_bytes(const char16_t* text, char* buffer, size_t size) {
    size_t length = 0;
    int64_t first_point = -1;
    for (; *text && length + 1 < size; ++text) {
        if (*text >= 256) continue;
        if (*text == u'.' && first_point < 0) first_point = static_cast<int64_t>(length);
        buffer[length++] = static_cast<char>(*text);
    }
    buffer[length] = 0;
    return first_point;
}

} // namespace

void InitLocale() {
    if (!std::setlocale(LC_ALL, "en_US.UTF-8")) std::setlocale(LC_ALL, "C.UTF-8");
    std::setlocale(LC_NUMERIC, "C");
    decimal_point_cache = {};
}

char16_t* IntegerToText(int64_t value, TempOffset p) {
    char16_t* out = ReserveTemp(integer_reserve_units, p);
    const bool negative = value < 0;
    const auto bits = static_cast<uint64_t>(value);
    const uint64_t magnitude = negative ? 0 - bits : bits;
    char16_t* cursor = out;
    if (negative) *cursor++ = u'-';
    cursor += decimal_digit_count(magnitude);
    write_digits_before(cursor, magnitude);
    *cursor = 0;
    ShrinkTemp(integer_reserve_units - (cursor - out));
    return out;
}

int64_t TextToInteger(const char16_t* text) {
    if (!text) return 0;
    text = skip_blanks(text);
    const bool negative = *text == u'-';
    if (*text == u'+' || *text == u'-') ++text;
    const uint64_t magnitude = read_magnitude(text);
    return static_cast<int64_t>(negative ? 0 - magnitude : magnitude);
}

char16_t* FloatToText(int32_t decimals, TempOffset p, float value) {
    char16_t* out = ReserveTemp(float_reserve_units, p);
    const char* special = special_float_text(value);
    const int64_t length = special ? copy_ascii(out, special) : print_float(decimals, value, out);
    ShrinkTemp(float_reserve_units - length);
    return out;
}

char16_t* FloatToTextDefault(TempOffset p, float value) {
    return FloatToText(-1, p, value);
}

double TextToFloat(const char16_t* text) {
    if (!text) return 0.0;
    if (const std::optional<double> special = special_float_value(text)) return *special;
    char buffer[parse_buffer_bytes];
    const int64_t first_point = narrow_to_bytes(text, buffer, sizeof buffer);
    if (first_point >= 0) buffer[first_point] = locale_decimal_point();
    return std::atof(buffer);
}

String IntegerToText(int64_t value) {
    return collect_result([value](TempOffset p) { IntegerToText(value, p); });
}

String FloatToText(int32_t decimals, float value) {
    return collect_result([decimals, value](TempOffset p) { FloatToText(decimals, p, value); });
}

String FloatToTextDefault(float value) {
    return FloatToText(-1, value);
}

int64_t TextToInteger(const String& text) {
    return TextToInteger(text.data());
}

double TextToFloat(const String& text) {
    return TextToFloat(text.data());
}

} // namespace rt
