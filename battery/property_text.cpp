#include "battery/property_text.h"

#include "battery/format_minutes.h"
#include "battery/temperature_text.h"
#include "battery/text_update.h"

namespace battery {
namespace {

constexpr const char16_t* k_minutes_keys[] = {
    u"AvgTimeToEmpty",
    u"AvgTimeToFull",
    u"TimeRemaining",
    u"PostChargeWaitSeconds",
    u"PostDischargeWaitSeconds",
    u"BatteryInvalidWakeSeconds",
};

// The scale of the temperature text last made, which a change of locale makes stale.
std::optional<TemperatureScale> g_temperature_scale;

void update_integer_text(rt::String& text, std::optional<int64_t> made_from, PropertyTextKind kind,
                         int64_t number, BatteryPlatform& platform) {
    if (kind == PropertyTextKind::Temperature) {
        const TemperatureScale scale = temperature_scale_for(platform.CurrentLocaleIdentifier());
        if (made_from == number && g_temperature_scale == scale) return;
        g_temperature_scale = scale;
        text = format_temperature(number, scale);
        return;
    }
    if (made_from == number) return;
    NumberRoom room;
    const std::u16string_view pieces[] = {kind == PropertyTextKind::Minutes
                                              ? minutes_units(number, room)
                                              : decimal_units(number, room)};
    assign_joined(text, pieces);
}

} // namespace

bool is_minutes_key(const rt::String& key) {
    for (const char16_t* minutes_key : k_minutes_keys) {
        if (key == minutes_key) return true;
    }
    return false;
}

PropertyTextKind text_kind_of(const rt::String& key) {
    if (key == u"Temperature") return PropertyTextKind::Temperature;
    return is_minutes_key(key) ? PropertyTextKind::Minutes : PropertyTextKind::Plain;
}

void update_property_text(rt::String& text, std::optional<int64_t> made_from, PropertyTextKind kind,
                          const PropertyValue& value, BatteryPlatform& platform) {
    if (const int64_t* number = std::get_if<int64_t>(&value)) {
        update_integer_text(text, made_from, kind, *number, platform);
    } else if (const bool* flag = std::get_if<bool>(&value)) {
        update_text(text, *flag ? u"Yes" : u"No");
    } else if (const rt::String* string = std::get_if<rt::String>(&value)) {
        update_text(text, *string);
    } else {
        update_text(text, u"[unsupported type]");
    }
}

} // namespace battery
