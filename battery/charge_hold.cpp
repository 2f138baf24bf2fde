#include "battery/charge_hold.h"

#include "battery/battery_properties.h"
#include "battery/text_update.h"
#include "runtime/core/number_text.h"

namespace battery {

std::optional<int64_t> held_at(const ChargeHoldReading& reading) {
    if (!reading.limit || *reading.limit >= 100) return std::nullopt;
    if (!reading.on_mains || reading.charging || reading.percent >= 100) return std::nullopt;
    return reading.limit;
}

ChargeHoldReading charge_hold_reading() {
    ChargeHoldReading reading;
    reading.limit = battery_integer(u"ChargeLimit");
    reading.percent = battery_integer(u"CurrentCapacity").value_or(0);
    reading.on_mains = GetBatteryValue(u"ExternalConnected") == u"Yes";
    reading.charging = GetBatteryValue(u"IsCharging") == u"Yes";
    return reading;
}

void show_charge_hold(BatteryTexts& texts, int64_t limit) {
    static LastText<int64_t> held_texts;
    static LastText<int64_t> status_texts;
    const rt::String& held = held_texts.get(
        limit, [](int64_t at) { return u"Held at " + rt::IntegerToText(at) + u"%"; });
    update_text(texts.ChargingText, status_texts.get(limit, [](int64_t at) {
        return u"Not charging (held at " + rt::IntegerToText(at) + u"%)";
    }));
    update_text(texts.TimeLeftText, held);
    update_text(texts.FullChargeText, held);
}

rt::String charge_limit_line(const ChargeHoldReading& reading) {
    if (!reading.limit) return {};
    if (*reading.limit >= 100) return u"Charge Limit: None\n";
    rt::String line = u"Charge Limit: " + rt::IntegerToText(*reading.limit) + u"%";
    if (held_at(reading)) line += u", charging held";
    return line + u"\n";
}

} // namespace battery
