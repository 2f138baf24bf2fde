#include "battery/charge_hold.h"

#include "battery/battery_properties.h"
#include "battery/text_update.h"
#include "runtime/core/number_text.h"

namespace battery {
namespace {

std::optional<int64_t>& lifted_limit() {
    static std::optional<int64_t> lifted;
    return lifted;
}

} // namespace

std::optional<int64_t> held_at(const ChargeHoldReading& reading) {
    if (!reading.limit || *reading.limit >= 100) return std::nullopt;
    if (!reading.on_mains || reading.charging || reading.percent >= 100) return std::nullopt;
    return reading.limit;
}

ChargeHoldReading charge_hold_reading() {
    ChargeHoldReading reading;
    reading.limit = battery_integer(u"ChargeLimit");
    // Most batteries have no limit: nothing else is asked of them at each refresh.
    if (!reading.limit) return reading;
    reading.percent = battery_integer(u"CurrentCapacity").value_or(0);
    reading.on_mains = GetBatteryValue(u"ExternalConnected") == u"Yes";
    reading.charging = GetBatteryValue(u"IsCharging") == u"Yes";
    // The service puts the limit back when the battery is full or the mains go; the limit it
    // wrote shows that the lifting is over.
    if (lifted_limit() && (!reading.on_mains || reading.limit.value_or(100) < 100))
        lifted_limit().reset();
    reading.lifted = lifted_limit();
    return reading;
}

void note_charging_once(std::optional<int64_t> lifted) {
    lifted_limit() = lifted;
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
    if (reading.lifted && *reading.lifted < 100)
        return u"Charge Limit: " + rt::IntegerToText(*reading.lifted) +
               u"%, lifted to charge to 100% once\n";
    if (*reading.limit >= 100) return u"Charge Limit: None\n";
    rt::String line = u"Charge Limit: " + rt::IntegerToText(*reading.limit) + u"%";
    if (held_at(reading)) line += u", charging held";
    return line + u"\n";
}

} // namespace battery
