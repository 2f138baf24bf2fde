#pragma once
// Reading a stored number (a 64-bit integer or a double) as another arithmetic type, the way C
// converts, and whether the conversion kept the value exactly. Integers keep their low bits;
// floating values are truncated toward zero and held within the target's range, NaN giving 0;
// a double too large for float becomes an infinity.

#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>

template <class T>
struct ConvertedNumber {
    T value;
    bool exact;
};

namespace number_detail {

inline constexpr double k_two_to_63 = 9223372036854775808.0;

inline bool is_exact_integer(double value, std::int64_t expected) {
    return value >= -k_two_to_63 && value < k_two_to_63 &&
           static_cast<std::int64_t>(value) == expected;
}

template <class T>
T truncate_within_range(double value) {
    using Limits = std::numeric_limits<T>;
    if (std::isnan(value)) return T{0};
    // The bounds are compared as doubles: the top of a 64-bit range is 2^63 exactly.
    if (value <= static_cast<double>(Limits::min())) return Limits::min();
    if (value >= static_cast<double>(Limits::max())) return Limits::max();
    return static_cast<T>(value);
}

template <class T>
bool fits_exactly(double value) {
    using Limits = std::numeric_limits<T>;
    if (std::isnan(value) || value != std::trunc(value)) return false;
    if (value < static_cast<double>(Limits::min())) return false;
    // max() of a 64-bit type rounds up to 2^63 as a double, which is already out of range.
    return sizeof(T) == 8 ? value < static_cast<double>(Limits::max())
                          : value <= static_cast<double>(Limits::max());
}

} // namespace number_detail

template <class T>
ConvertedNumber<T> convert_number(std::int64_t value) {
    static_assert(std::is_arithmetic_v<T>);
    if constexpr (std::is_floating_point_v<T>) {
        T converted = static_cast<T>(value);
        return {converted, number_detail::is_exact_integer(static_cast<double>(converted), value)};
    } else {
        T converted = static_cast<T>(value);
        return {converted, static_cast<std::int64_t>(converted) == value &&
                               (std::is_signed_v<T> || value >= 0)};
    }
}

template <class T>
ConvertedNumber<T> convert_number(double value) {
    static_assert(std::is_arithmetic_v<T>);
    if constexpr (std::is_same_v<T, double>) {
        return {value, true};
    } else if constexpr (std::is_floating_point_v<T>) {
        constexpr double k_largest = static_cast<double>(std::numeric_limits<T>::max());
        constexpr T k_infinity = std::numeric_limits<T>::infinity();
        if (value > k_largest && !std::isinf(value)) return {k_infinity, false};
        if (value < -k_largest && !std::isinf(value)) return {-k_infinity, false};
        T converted = static_cast<T>(value);
        return {converted, std::isnan(value) || static_cast<double>(converted) == value};
    } else {
        return {number_detail::truncate_within_range<T>(value),
                number_detail::fits_exactly<T>(value)};
    }
}
