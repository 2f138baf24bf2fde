#include "battery/battery_properties.h"

#include "battery/platform/battery_platform.h"
#include "battery/property_text.h"

namespace battery {
namespace {

BatteryPropertyList& property_list() {
    static BatteryPropertyList list;
    return list;
}

std::optional<int64_t> integer_of(const PropertyValue& value) {
    if (const int64_t* number = std::get_if<int64_t>(&value)) return *number;
    return std::nullopt;
}

// The registry's last reading, which the next one is read over.
PlatformProperties& registry_readings() {
    static PlatformProperties readings;
    return readings;
}

uint64_t g_version = 0;

// Brings `property` to `reading`; true when its key or text changed.
bool update_property(BatteryProperty& property, const PlatformProperty& reading,
                     BatteryPlatform& platform) {
    const bool same_key = property.key == reading.key;
    if (!same_key) property.key = reading.key;
    const std::optional<int64_t> made_from = same_key ? property.integer : std::nullopt;
    property.integer = integer_of(reading.value);
    const bool text_changed =
        update_property_text(property.value, made_from, property.key, reading.value, platform);
    return !same_key || text_changed;
}

const BatteryProperty* find_property(rt::TextArg key) {
    const char16_t first = key.get() ? key.get()[0] : u'\0';
    for (const BatteryProperty& property : property_list()) {
        // Most keys differ in their first letter.
        if (property.key.c_str()[0] != first) continue;
        if (rt::StringEqual(property.key.data(), key.get())) return &property;
    }
    return nullptr;
}

} // namespace

void LoadBatteryProperties() {
    BatteryPropertyList& list = property_list();
    PlatformProperties& readings = registry_readings();
    BatteryPlatform& platform = current_battery_platform();
    if (!platform.ReadBatteryRegistry(readings)) readings.clear();
    bool changed = list.size() != readings.size();
    list.resize(readings.size());
    for (std::size_t i = 0; i < readings.size(); ++i)
        changed = update_property(list[i], readings[i], platform) || changed;
    if (changed) ++g_version;
}

uint64_t battery_properties_version() {
    return g_version;
}

const rt::String& GetBatteryValue(rt::TextArg key) {
    static const rt::String not_found(k_not_found);
    const BatteryProperty* property = find_property(key);
    return property ? property->value : not_found;
}

std::optional<int64_t> battery_integer(rt::TextArg key) {
    const BatteryProperty* property = find_property(key);
    if (!property) return std::nullopt;
    return property->integer;
}

} // namespace battery
