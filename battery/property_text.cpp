#include "battery/property_text.h"

#include "battery/format_minutes.h"
#include "battery/temperature_text.h"
#include "runtime/core/number_text.h"

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

rt::String integer_text(const rt::String& key, int64_t value, BatteryPlatform& platform) {
    if (key == u"Temperature") {
        const TemperatureScale scale = temperature_scale_for(platform.CurrentLocaleIdentifier());
        return format_temperature(value, scale);
    }
    if (is_minutes_key(key)) return FormatMinutes(value);
    return rt::IntegerToText(value);
}

} // namespace

bool is_minutes_key(const rt::String& key) {
    for (const char16_t* minutes_key : k_minutes_keys) {
        if (key == minutes_key) return true;
    }
    return false;
}

rt::String property_text(const rt::String& key, const PropertyValue& value,
                         BatteryPlatform& platform) {
    if (const bool* flag = std::get_if<bool>(&value)) return *flag ? u"Yes" : u"No";
    if (const rt::String* text = std::get_if<rt::String>(&value)) return *text;
    if (const int64_t* number = std::get_if<int64_t>(&value)) {
        return integer_text(key, *number, platform);
    }
    return u"[unsupported type]";
}

} // namespace battery
