#include "battery/battery_texts.h"

#include "battery/battery_properties.h"
#include "battery/charge_hold.h"
#include "battery/text_update.h"
#include "runtime/core/number_text.h"

#include <algorithm>

namespace battery {

BatteryTexts& battery_texts() {
    static BatteryTexts texts;
    return texts;
}

namespace {

rt::String clamped_percent_text(int64_t reading) {
    return rt::IntegerToText(std::clamp<int64_t>(reading, 0, 100)) + u"%";
}

} // namespace

rt::String percent_text(rt::TextArg current_capacity) {
    return clamped_percent_text(rt::TextToInteger(current_capacity.get()));
}

rt::String health_text(int64_t full_charge_capacity, int64_t design_capacity) {
    if (design_capacity < 1) return u"Unknown";
    const double health =
        static_cast<double>(full_charge_capacity) / static_cast<double>(design_capacity) * 100.0;
    return rt::FloatToText(1, static_cast<float>(health)) + u"% health";
}

void UpdateBatteryTexts() {
    static LastText<int64_t, int64_t> health_texts;
    BatteryTexts& texts = battery_texts();
    update_text(texts.DeviceNameText, GetBatteryValue(u"DeviceName"));
    update_text(texts.SerialText, GetBatteryValue(u"Serial"));
    update_joined(texts.CyclesText, GetBatteryValue(u"CycleCount"), u" cycles");
    update_text(texts.ChargingText,
                GetBatteryValue(u"IsCharging") == u"Yes" ? u"Charging" : u"Not charging");
    update_text(texts.TemperatureText, GetBatteryValue(u"Temperature"));
    update_joined(texts.TimeLeftText, GetBatteryValue(u"TimeRemaining"), u" left");
    const int64_t capacity = rt::TextToInteger(GetBatteryValue(u"CurrentCapacity"));
    NumberRoom room;
    const std::u16string_view percent[] = {
        decimal_units(std::clamp<int64_t>(capacity, 0, 100), room), u"%"};
    update_joined(texts.PercentText, percent);
    update_text(texts.MaxCapacityText, GetBatteryValue(u"AppleRawMaxCapacity"));
    update_text(texts.HealthText,
                health_texts.get(rt::TextToInteger(GetBatteryValue(u"AppleRawMaxCapacity")),
                                 rt::TextToInteger(GetBatteryValue(u"DesignCapacity")),
                                 health_text));
    if (const std::optional<int64_t> limit = held_at(charge_hold_reading()))
        show_charge_hold(texts, *limit);
}

} // namespace battery
