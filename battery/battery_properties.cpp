#include "battery/battery_properties.h"

#include "battery/platform/battery_platform.h"
#include "battery/property_text.h"

namespace battery {
namespace {

BatteryPropertyList& property_list() {
    static BatteryPropertyList list;
    return list;
}

const BatteryProperty* find_property(rt::TextArg key) {
    for (const BatteryProperty& property : property_list()) {
        if (rt::StringEqual(property.key.data(), key.get())) return &property;
    }
    return nullptr;
}

std::optional<int64_t> integer_of(const PropertyValue& value) {
    if (const int64_t* number = std::get_if<int64_t>(&value)) return *number;
    return std::nullopt;
}

} // namespace

void LoadBatteryProperties() {
    BatteryPropertyList& list = property_list();
    list.clear();
    BatteryPlatform& platform = current_battery_platform();
    std::optional<PlatformProperties> registry = platform.ReadBatteryRegistry();
    if (!registry) return;
    list.reserve(registry->size());
    for (PlatformProperty& property : *registry) {
        rt::String value = property_text(property.key, property.value, platform);
        list.push_back({std::move(property.key), std::move(value), integer_of(property.value)});
    }
}

rt::String GetBatteryValue(rt::TextArg key) {
    const BatteryProperty* property = find_property(key);
    if (!property) return k_not_found;
    return property->value;
}

std::optional<int64_t> battery_integer(rt::TextArg key) {
    const BatteryProperty* property = find_property(key);
    if (!property) return std::nullopt;
    return property->integer;
}

} // namespace battery
