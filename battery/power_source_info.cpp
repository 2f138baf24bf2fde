#include "battery/power_source_info.h"

#include "battery/battery_properties.h"
#include "battery/platform/battery_platform.h"
#include "battery/text_update.h"
#include "runtime/core/number_text.h"

namespace battery {
namespace {

// Makes `text` read full_charge_text(minutes_to_full, charge_percent), making no string for it.
void update_full_charge_text(rt::String& text, int64_t minutes_to_full, int64_t charge_percent) {
    if (minutes_to_full < 1 || minutes_to_full >= 1000) return update_text(text, u"Calculating...");
    if (charge_percent >= 99) return update_text(text, u"Fully charged");
    NumberRoom room;
    const std::u16string_view pieces[] = {decimal_units(minutes_to_full, room), u" min to full"};
    update_joined(text, pieces);
}

// The value's kind is asked before the key, which most entries then need not compare.
void apply_entry(const PlatformProperty& entry, BatteryTexts& texts) {
    if (const int64_t* number = std::get_if<int64_t>(&entry.value)) {
        if (entry.key == u"Time to Full Charge") {
            const int64_t percent = rt::TextToInteger(GetBatteryValue(u"CurrentCapacity"));
            update_full_charge_text(texts.FullChargeText, *number, percent);
        } else if (entry.key == u"LPM Active") {
            update_text(texts.LowPowerModeText, *number == 1 ? u"on" : u"off");
        }
        return;
    }
    const rt::String* text = std::get_if<rt::String>(&entry.value);
    if (text && entry.key == u"BatteryHealth") update_text(texts.ConditionText, *text);
}

} // namespace

rt::String full_charge_text(int64_t minutes_to_full, int64_t charge_percent) {
    rt::String text;
    update_full_charge_text(text, minutes_to_full, charge_percent);
    return text;
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
