#include "battery/format_minutes.h"

#include "runtime/core/number_text.h"
#include "runtime/core/string_functions.h"

namespace battery {
namespace {

// At least two digits; a longer number keeps all of its digits.
rt::String two_digits_at_least(int64_t value) {
    rt::String digits = rt::IntegerToText(value);
    if (digits.length() >= 2) return digits;
    return rt::PadTextLeft(digits, 2, u"0");
}

// The size of a quotient or remainder of the division by 60; never overflows, since both are
// far inside the range.
int64_t size_of(int64_t part) {
    return part < 0 ? -part : part;
}

} // namespace

rt::String FormatMinutes(int64_t minutes) {
    const int64_t hours = minutes / 60;
    const int64_t rest = minutes - 60 * hours;
    const rt::String text =
        two_digits_at_least(size_of(hours)) + u":" + two_digits_at_least(size_of(rest));
    if (minutes < 0) return u"-" + text;
    return text;
}

} // namespace battery
