#include "battery/power_state.h"

#include "battery/battery_properties.h"
#include "runtime/core/number_text.h"

namespace battery {
namespace {

// The texts the rules give, made once.
struct PowerTexts {
    rt::String ac{u"AC Power"};
    rt::String battery{u"Battery Power"};
    rt::String charging{u"Charging"};
    rt::String unidentified{u"Unidentified"};
};

const PowerTexts& power_texts() {
    static const PowerTexts texts;
    return texts;
}

// "AC Power" for "Yes", "Battery Power" for "No"; none for any other text.
const rt::String* power_from_flag(const rt::String& flag) {
    if (flag == u"Yes") return &power_texts().ac;
    if (flag == u"No") return &power_texts().battery;
    return nullptr;
}

const rt::String& power_from_amperage(const rt::String& amperage) {
    if (amperage == k_not_found) return power_texts().unidentified;
    const int64_t current = rt::TextToInteger(amperage);
    if (current > 0) return power_texts().charging;
    if (current < 0) return power_texts().battery;
    return power_texts().unidentified;
}

} // namespace

const rt::String& DescribePowerSource() {
    const rt::String& source = GetBatteryValue(u"PowerSource");
    if (!source.empty() && source != k_not_found) return source;
    if (const rt::String* external = power_from_flag(GetBatteryValue(u"ExternalConnected")))
        return *external;
    if (const rt::String* charging = power_from_flag(GetBatteryValue(u"IsCharging")))
        return *charging;
    return power_from_amperage(GetBatteryValue(u"Amperage"));
}

} // namespace battery
