#include "battery/power_source_info.h"

#include "battery/battery_properties.h"
#include "battery/platform/battery_platform.h"
#include "battery/text_update.h"
#include "runtime/core/number_text.h"

namespace battery {
namespace {

void apply_entry(const PlatformProperty& entry, BatteryTexts& texts) {
    const int64_t* number = std::get_if<int64_t>(&entry.value);
    if (entry.key == u"Time to Full Charge" && number) {
        const int64_t percent = rt::TextToInteger(GetBatteryValue(u"CurrentCapacity"));
        update_text(texts.FullChargeText, full_charge_text(*number, percent));
        return;
    }
    if (entry.key == u"LPM Active" && number) {
        update_text(texts.LowPowerModeText, *number == 1 ? u"on" : u"off");
        return;
    }
    const rt::String* text = std::get_if<rt::String>(&entry.value);
    if (entry.key == u"BatteryHealth" && text) update_text(texts.ConditionText, *text);
}

} // namespace

rt::String full_charge_text(int64_t minutes_to_full, int64_t charge_percent) {
    if (minutes_to_full < 1 || minutes_to_full >= 1000) return u"Calculating...";
    if (charge_percent >= 99) return u"Fully charged";
    return rt::IntegerToText(minutes_to_full) + u" min to full";
}

void apply_power_source_description(const PlatformProperties& description, BatteryTexts& texts) {
    for (const PlatformProperty& entry : description) {
        apply_entry(entry, texts);
    }
}

void ReadPowerSourceInfo() {
    // The last description, which the next one is read over.
    static PlatformProperties description;
    if (!current_battery_platform().ReadFirstPowerSource(description)) return;
    apply_power_source_description(description, battery_texts());
}

} // namespace battery
