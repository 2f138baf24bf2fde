#pragma once
// Where the machine draws its power from, named from the battery properties.

#include "runtime/core/rt_string.h"

namespace battery {

// The first rule that applies: a non-empty "PowerSource" unchanged; "ExternalConnected", then
// "IsCharging", "Yes" giving "AC Power" and "No" "Battery Power"; then the sign of "Amperage"
// ("Charging", "Unidentified" for 0, "Battery Power"); "Unidentified" when nothing applies.
// The reference holds until the next load of the battery properties.
const rt::String& DescribePowerSource();

} // namespace battery
