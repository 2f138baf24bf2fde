#pragma once
// The text a registry property is kept as: booleans as "Yes"/"No", texts unchanged, the
// temperature with its unit, the time properties as hours and minutes, other integers in
// decimal, and "[unsupported type]" for every other kind.

#include "battery/platform/battery_platform.h"
#include "battery/platform/property_value.h"
#include "runtime/core/rt_string.h"

namespace battery {

// Asks the platform for the locale only for a "Temperature" integer.
rt::String property_text(const rt::String& key, const PropertyValue& value,
                         BatteryPlatform& platform);

// The keys whose integers are shown by FormatMinutes (the three "...Seconds" keys among them,
// although they count seconds).
bool is_minutes_key(const rt::String& key);

} // namespace battery
