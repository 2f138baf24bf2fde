#include "battery/property_text.h"

#include "battery/format_minutes.h"
#include "battery/temperature_text.h"
#include "battery/text_update.h"

#include <algorithm>
#include <array>
#include <charconv>

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

// `number` in decimal, written at the end of `room`.
std::u16string_view decimal_units(int64_t number, MinutesRoom& room) {
    std::array<char, 24> digits;
    const char* const begin = digits.data();
    const char* const end = std::to_chars(digits.data(), digits.data() + digits.size(), number).ptr;
    const auto count = static_cast<std::size_t>(end - begin);
    char16_t* start = room.data() + room.size() - count;
    std::copy(begin, end, start);
    return std::u16string_view(start, count);
}

// The scale of the temperature text last made, which a change of locale makes stale.
std::optional<TemperatureScale> g_temperature_scale;

void update_integer_text(rt::String& text, std::optional<int64_t> made_from, const rt::String& key,
                         int64_t number, BatteryPlatform& platform) {
    if (key == u"Temperature") {
        const TemperatureScale scale = temperature_scale_for(platform.CurrentLocaleIdentifier());
        if (made_from == number && g_temperature_scale == scale) return;
        g_temperature_scale = scale;
        text = format_temperature(number, scale);
        return;
    }
    if (made_from == number) return;
    MinutesRoom room;
    const std::u16string_view pieces[] = {is_minutes_key(key) ? minutes_units(number, room)
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

void update_property_text(rt::String& text, std::optional<int64_t> made_from, const rt::String& key,
                          const PropertyValue& value, BatteryPlatform& platform) {
    if (const int64_t* number = std::get_if<int64_t>(&value)) {
        update_integer_text(text, made_from, key, *number, platform);
    } else if (const bool* flag = std::get_if<bool>(&value)) {
        update_text(text, *flag ? u"Yes" : u"No");
    } else if (const rt::String* string = std::get_if<rt::String>(&value)) {
        update_text(text, *string);
    } else {
        update_text(text, u"[unsupported type]");
    }
}

} // namespace battery
