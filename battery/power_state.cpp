#include "battery/power_state.h"

#include "battery/battery_properties.h"
#include "runtime/core/number_text.h"

#include <optional>

namespace battery {
namespace {

// "AC Power" for "Yes", "Battery Power" for "No"; none for any other text.
std::optional<rt::String> power_from_flag(const rt::String& flag) {
    if (flag == u"Yes") return rt::String(u"AC Power");
    if (flag == u"No") return rt::String(u"Battery Power");
    return std::nullopt;
}

rt::String power_from_amperage(const rt::String& amperage) {
    if (amperage == k_not_found) return u"Unidentified";
    const int64_t current = rt::TextToInteger(amperage);
    if (current > 0) return u"Charging";
    if (current < 0) return u"Battery Power";
    return u"Unidentified";
}

} // namespace

rt::String DescribePowerSource() {
    rt::String source = GetBatteryValue(u"PowerSource");
    if (!source.empty() && source != k_not_found) return source;
    if (auto external = power_from_flag(GetBatteryValue(u"ExternalConnected"))) return *external;
    if (auto charging = power_from_flag(GetBatteryValue(u"IsCharging"))) return *charging;
    return power_from_amperage(GetBatteryValue(u"Amperage"));
}

} // namespace battery
