#include "battery/battery_properties.h"

#include "battery/platform/battery_platform.h"
#include "battery/property_text.h"
#include "platform/objc/program_constants.h"

#include <array>
#include <cstdint>

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

// Moves on whenever a load changes the list's keys.
uint64_t g_keys_version = 0;

// Brings `property` to `reading`'s text; true when its key changed.
bool update_property(BatteryProperty& property, const PlatformProperty& reading,
                     BatteryPlatform& platform) {
    const bool same_key =
        property.key_object.holds_the_same(reading.key_object) || property.key == reading.key;
    if (!same_key) {
        property.key = reading.key;
        property.text_kind = text_kind_of(property.key);
    }
    property.key_object = reading.key_object;
    const std::optional<int64_t> made_from = same_key ? property.integer : std::nullopt;
    property.integer = integer_of(reading.value);
    update_property_text(property.value, made_from, property.text_kind, reading.value, platform);
    return !same_key;
}

// Where a key text was last looked for, while the keys stay as they were. Callers name keys by
// literals, so by a hash of the text's address most lookups find their property, or learn that
// there is none, at once.
struct PlaceHint {
    static constexpr std::size_t absent = SIZE_MAX;
    const char16_t* key = nullptr;
    uint64_t keys_version = 0;
    std::size_t place = absent;
    // The key's address lies among the program's constants, which it does for good.
    bool constant = false;
};

PlaceHint& place_hint(const char16_t* key) {
    static std::array<PlaceHint, 128> hints{};
    // Literals lie close together, so their addresses are mixed before they pick a place: the
    // low bits alone let several keys of one refresh share a place and search every time.
    const auto mixed = reinterpret_cast<std::uintptr_t>(key) * 0x9E3779B97F4A7C15u;
    return hints[(mixed >> 32) % hints.size()];
}

// The place of the key in the list, or PlaceHint::absent.
std::size_t search(const BatteryPropertyList& list, const char16_t* key) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (rt::StringEqual(list[i].key.data(), key)) return i;
    }
    return PlaceHint::absent;
}

const BatteryProperty* find_property(rt::TextArg key) {
    const BatteryPropertyList& list = property_list();
    PlaceHint& hint = place_hint(key.get());
    if (hint.key == key.get() && hint.keys_version == g_keys_version) {
        // An address may hold another text by now, so the hint is trusted as it is only for the
        // program's constants, whose texts cannot change; for others a found key is compared
        // again and an absent one searched for.
        if (hint.place == PlaceHint::absent && hint.constant) return nullptr;
        if (hint.place < list.size() &&
            (hint.constant || rt::StringEqual(list[hint.place].key.data(), key.get())))
            return &list[hint.place];
    }
    const bool constant = hint.key == key.get() ? hint.constant : is_program_constant(key.get());
    hint = {key.get(), g_keys_version, search(list, key.get()), constant};
    return hint.place == PlaceHint::absent ? nullptr : &list[hint.place];
}

} // namespace

void LoadBatteryProperties() {
    BatteryPropertyList& list = property_list();
    PlatformProperties& readings = registry_readings();
    BatteryPlatform& platform = current_battery_platform();
    if (!platform.ReadBatteryRegistry(readings)) readings.clear();
    bool keys_changed = list.size() != readings.size();
    list.resize(readings.size());
    for (std::size_t i = 0; i < readings.size(); ++i)
        keys_changed = update_property(list[i], readings[i], platform) || keys_changed;
    if (keys_changed) ++g_keys_version;
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
