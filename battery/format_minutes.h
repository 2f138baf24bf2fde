#pragma once
// Minutes as hours and minutes, the form the registry's time properties are shown in.

#include "runtime/core/rt_string.h"

#include <cstdint>

namespace battery {

// "hh:mm": the hours truncated toward zero, in at least two digits and never cut ("1092:15"),
// then two digits of minutes; a negative count has one sign before the whole text ("-00:01").
rt::String FormatMinutes(int64_t minutes);

} // namespace battery
