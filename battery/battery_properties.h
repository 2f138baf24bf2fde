#pragma once
// BatteryProperties: every property of the battery's registry entry as a pair of texts, in the
// order the platform enumerates them, rebuilt by each load and read by key. All other battery
// logic reads battery facts only through GetBatteryValue.

#include "battery/platform/held_object.h"
#include "battery/property_text.h"
#include "runtime/core/rt_string.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace battery {

// The value of every key that is not there: callers test for this text.
inline constexpr const char16_t* k_not_found = u"[Not Found]";

struct BatteryProperty {
    rt::String key;
    // The registry's key object `key` was made of, when it came from one.
    HeldObject key_object;
    // How the key's integers are shown, found when the key changes.
    PropertyTextKind text_kind = PropertyTextKind::Plain;
    // The converted text; never absent, possibly empty.
    rt::String value;
    // The reading itself for an integer property, which the temperature's Celsius text is
    // formed from whatever the locale shows.
    std::optional<int64_t> integer;
};

using BatteryPropertyList = std::vector<BatteryProperty>;

// Fills the list from the current battery platform's registry reading. Properties that read as
// before keep their texts as they are.
void LoadBatteryProperties();

// The value of the first property whose key matches exactly; "[Not Found]" when none does. The
// reference holds until the next load.
const rt::String& GetBatteryValue(rt::TextArg key);

// The integer reading of the first property with the key; none when there is no such property or
// its value was not an integer.
std::optional<int64_t> battery_integer(rt::TextArg key);

} // namespace battery
