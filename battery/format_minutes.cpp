#include "battery/format_minutes.h"

#include <array>
#include <string_view>

namespace battery {
namespace {

// Writes `value` (not negative) in at least two digits, ending just before `end`; gives where
// the digits start.
char16_t* two_digits_at_least(uint64_t value, char16_t* end) {
    char16_t* digit = end;
    do {
        *--digit = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value > 0);
    if (end - digit < 2) *--digit = u'0';
    return digit;
}

// The size of a quotient or remainder of the division by 60; never overflows, since both are
// far inside the range.
uint64_t size_of(int64_t part) {
    return static_cast<uint64_t>(part < 0 ? -part : part);
}

} // namespace

rt::String FormatMinutes(int64_t minutes) {
    MinutesRoom room;
    return rt::String(minutes_units(minutes, room));
}

// A sign, the 18 digits of the largest count of hours, a colon and two digits fit in the room.
std::u16string_view minutes_units(int64_t minutes, MinutesRoom& room) {
    const int64_t hours = minutes / 60;
    const int64_t rest = minutes - 60 * hours;
    char16_t* const end = room.data() + room.size();
    char16_t* start = two_digits_at_least(size_of(rest), end);
    *--start = u':';
    start = two_digits_at_least(size_of(hours), start);
    if (minutes < 0) *--start = u'-';
    return std::u16string_view(start, static_cast<std::size_t>(end - start));
}

} // namespace battery
