#include "battery/battery_report.h"

#include "battery/battery_properties.h"
#include "battery/battery_texts.h"
#include "battery/charge_hold.h"
#include "runtime/core/number_text.h"
#include "runtime/core/string_functions.h"
#include "runtime/ui/native_message.h"

namespace battery {
namespace {

constexpr const char16_t* k_lf = u"\n";
constexpr const char16_t* k_lf_cr = u"\n\r";

// The platform's capitalisation of each word; the text unchanged when the platform gives none.
rt::String capitalized(const rt::String& text) {
    if (text.empty()) return text;
    const int64_t string = rt::SendNativeMessage(nullptr, 0, u"NSString stringWithString:$", text);
    const int64_t capital = rt::SendNativeMessage(nullptr, string, u"capitalizedString");
    const int64_t utf8 = rt::SendNativeMessage(nullptr, capital, u"UTF8String");
    if (utf8 == 0) return text;
    return rt::String::from_utf8(reinterpret_cast<const char*>(utf8));
}

rt::String optional_minutes_line(const char16_t* label, const char16_t* key) {
    const rt::String value = GetBatteryValue(key);
    if (value == k_not_found) return {};
    return label + value + k_lf;
}

} // namespace

rt::String voltage_line(const rt::String& millivolts) {
    if (millivolts == k_not_found) return {};
    const double value = rt::TextToFloat(millivolts);
    if (value <= 0.0 || value > 20000.0) return rt::String(u"Voltage: Unknown") + k_lf;
    return u"Voltage: " + rt::FloatToText(2, static_cast<float>(value / 1000.0)) + u" V" + k_lf_cr;
}

rt::String build_battery_information_report() {
    const BatteryTexts& texts = battery_texts();
    rt::String report = u"Battery Name: " + texts.DeviceNameText + k_lf;
    report += u"Battery Serial: " + texts.SerialText + k_lf_cr;
    report += u"Charge Cycles: " + texts.CyclesText + k_lf;
    report += u"Battery Health: " + rt::TextField(texts.HealthText, 1, u" ") + k_lf;
    report += u"Battery Condition: " + texts.ConditionText + k_lf;
    report += u"Battery Temperature: " + texts.TemperatureText + k_lf_cr;
    report += u"Max Capacity: " + texts.MaxCapacityText + k_lf;
    report += u"Low Power Mode: " + capitalized(texts.LowPowerModeText) + k_lf;
    report += voltage_line(GetBatteryValue(u"Voltage"));
    const ChargeHoldReading hold = charge_hold_reading();
    // Held at a limit, the battery is not on its way to full: no time to full is told.
    if (!held_at(hold))
        report += optional_minutes_line(u"Average Time to Full: ", u"AvgTimeToFull");
    report += optional_minutes_line(u"Average Time to Empty: ", u"AvgTimeToEmpty");
    report += charge_limit_line(hold);
    report += k_lf;
    return report;
}

} // namespace battery
