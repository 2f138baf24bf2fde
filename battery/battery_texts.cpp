#include "battery/battery_texts.h"

#include "battery/battery_properties.h"
#include "runtime/core/number_text.h"

#include <algorithm>

namespace battery {

BatteryTexts& battery_texts() {
    static BatteryTexts texts;
    return texts;
}

rt::String percent_text(rt::TextArg current_capacity) {
    const int64_t percent = std::clamp<int64_t>(rt::TextToInteger(current_capacity.get()), 0, 100);
    return rt::IntegerToText(percent) + u"%";
}

rt::String health_text(int64_t full_charge_capacity, int64_t design_capacity) {
    if (design_capacity < 1) return u"Unknown";
    const double health =
        static_cast<double>(full_charge_capacity) / static_cast<double>(design_capacity) * 100.0;
    return rt::FloatToText(1, static_cast<float>(health)) + u"% health";
}

void UpdateBatteryTexts() {
    BatteryTexts& texts = battery_texts();
    texts.DeviceNameText = GetBatteryValue(u"DeviceName");
    texts.SerialText = GetBatteryValue(u"Serial");
    texts.CyclesText = GetBatteryValue(u"CycleCount") + u" cycles";
    texts.ChargingText = GetBatteryValue(u"IsCharging") == u"Yes" ? u"Charging" : u"Not charging";
    texts.TemperatureText = GetBatteryValue(u"Temperature");
    texts.TimeLeftText = GetBatteryValue(u"TimeRemaining") + u" left";
    texts.PercentText = percent_text(GetBatteryValue(u"CurrentCapacity"));
    texts.MaxCapacityText = GetBatteryValue(u"AppleRawMaxCapacity");
    texts.HealthText = health_text(rt::TextToInteger(GetBatteryValue(u"AppleRawMaxCapacity")),
                                   rt::TextToInteger(GetBatteryValue(u"DesignCapacity")));
}

} // namespace battery
