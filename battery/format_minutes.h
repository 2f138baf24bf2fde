#pragma once
// Minutes as hours and minutes, the form the registry's time properties are shown in.

#include "runtime/core/rt_string.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace battery {

// "hh:mm": the hours truncated toward zero, in at least two digits and never cut ("1092:15"),
// then two digits of minutes; a negative count has one sign before the whole text ("-00:01").
rt::String FormatMinutes(int64_t minutes);

// Room for the units of any count of minutes.
using MinutesRoom = std::array<char16_t, 24>;
// FormatMinutes' units, written at the end of `room`.
std::u16string_view minutes_units(int64_t minutes, MinutesRoom& room);

} // namespace battery
