#pragma once
// The text a registry property is kept as: booleans as "Yes"/"No", texts unchanged, the
// temperature with its unit, the time properties as hours and minutes, other integers in
// decimal, and "[unsupported type]" for every other kind.

#include "battery/platform/battery_platform.h"
#include "battery/platform/property_value.h"
#include "runtime/core/rt_string.h"

#include <cstdint>
#include <optional>

namespace battery {

// How a key's integers are shown: the temperature with its unit, the time keys as hours and
// minutes, the others in decimal.
enum class PropertyTextKind : uint8_t { Plain, Temperature, Minutes };
PropertyTextKind text_kind_of(const rt::String& key);

// Makes `text` the property's text, an integer shown as `kind` says (its key's kind).
// `made_from` is the integer reading `text` was made from for this key (none for a new key or
// another kind): a text that cannot have changed is kept, and a new string is made only for a text
// that differs. Asks the platform for the locale only for the temperature.
void update_property_text(rt::String& text, std::optional<int64_t> made_from, PropertyTextKind kind,
                          const PropertyValue& value, BatteryPlatform& platform);

// The keys whose integers are shown by FormatMinutes (the three "...Seconds" keys among them,
// although they count seconds).
bool is_minutes_key(const rt::String& key);

} // namespace battery
