#pragma once
// What the battery platform hands over for one property of the registry entry or of a power
// source's description: its key and its value, reduced to the kinds the battery logic reads.

#include "battery/platform/held_object.h"
#include "runtime/core/rt_string.h"

#include <cstdint>
#include <utility>
#include <variant>
#include <vector>

namespace battery {

// Any value of a kind the battery logic does not read: data, dates, arrays, dictionaries.
struct OtherValue {
    friend bool operator==(OtherValue, OtherValue) = default;
};

// An integer (a signed 32-bit reading, widened), a text, a boolean, or another kind.
using PropertyValue = std::variant<int64_t, rt::String, bool, OtherValue>;

struct PlatformProperty {
    PlatformProperty() = default;
    PlatformProperty(rt::String key, PropertyValue value)
        : key(std::move(key)), value(std::move(value)) {}

    rt::String key;
    PropertyValue value;
    // The key and value objects a dictionary reading made `key` and `value` of; nothing for a
    // property made any other way. Only that reading sets them.
    HeldObject key_object;
    HeldObject value_object;
};

// In the order the platform enumerates the dictionary.
using PlatformProperties = std::vector<PlatformProperty>;

} // namespace battery
