#pragma once
// Arithmetic on battery figures, whose every step may be absent: an absent operand, an overflow
// or a division by zero makes the result absent, so that no reading, however odd, gives a wrong
// number instead of none.

#include <cstdint>
#include <limits>
#include <optional>

using Figure = std::optional<std::int64_t>;

inline Figure add(Figure a, Figure b) {
    std::int64_t result = 0;
    if (!a || !b || __builtin_add_overflow(*a, *b, &result)) return std::nullopt;
    return result;
}

inline Figure subtract(Figure a, Figure b) {
    std::int64_t result = 0;
    if (!a || !b || __builtin_sub_overflow(*a, *b, &result)) return std::nullopt;
    return result;
}

inline Figure multiply(Figure a, std::int64_t b) {
    std::int64_t result = 0;
    if (!a || __builtin_mul_overflow(*a, b, &result)) return std::nullopt;
    return result;
}

inline Figure multiply(Figure a, Figure b) {
    if (!b) return std::nullopt;
    return multiply(a, *b);
}

// Rounds toward zero.
inline Figure divide(Figure a, Figure b) {
    if (!a || !b || *b == 0) return std::nullopt;
    if (*a == std::numeric_limits<std::int64_t>::min() && *b == -1) return std::nullopt;
    return *a / *b;
}

inline Figure size_of(Figure a) {
    if (!a || *a == std::numeric_limits<std::int64_t>::min()) return std::nullopt;
    return *a < 0 ? -*a : *a;
}

inline Figure either(Figure preferred, Figure otherwise) {
    return preferred ? preferred : otherwise;
}

inline Figure positive(Figure a) {
    return a && *a > 0 ? a : std::nullopt;
}
