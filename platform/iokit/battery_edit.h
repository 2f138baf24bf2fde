#pragma once
// An edit of the recorded battery as the driver's `battery` and `power` commands give it, in plain
// values: the input router turns it into a call of battery_provider.h's editing functions.

#include <cstdint>
#include <string>

enum class PropertyTarget : uint8_t { battery, power };
enum class PropertyAction : uint8_t { set, unset, remove };

// A property value of a recorded battery: exactly one of the members is meaningful, by `kind`.
struct PropertyValue {
    enum class Kind : uint8_t { integer, boolean, string } kind = Kind::integer;
    int64_t integer = 0;
    bool boolean = false;
    std::string string;
    bool operator==(const PropertyValue&) const = default;
};

struct PropertyChange {
    PropertyTarget target = PropertyTarget::battery;
    PropertyAction action = PropertyAction::set;
    std::string key; // empty for remove
    PropertyValue value;
    bool operator==(const PropertyChange&) const = default;
};
