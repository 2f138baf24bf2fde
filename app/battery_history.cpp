#include "app/battery_history.h"

#include "app/history_charts.h"
#include "battery/battery_properties.h"
#include "history/history_start.h"
#include "platform/display/history_source.h"
#include "platform/foundation/core_foundation.h"
#include "platform/iokit/battery_parts.h"

#include <algorithm>
#include <cmath>

namespace app {
namespace {

constexpr std::int64_t k_day = 86400;

std::unique_ptr<HistoryRecorder>& recorder() {
    static std::unique_ptr<HistoryRecorder> the_recorder;
    return the_recorder;
}

std::int64_t now_seconds() {
    return static_cast<std::int64_t>(
        std::floor(CFAbsoluteTimeGetCurrent() + kCFAbsoluteTimeIntervalSince1970));
}

bool says_yes(const char16_t* key) {
    return battery::GetBatteryValue(key) == u"Yes";
}

ChargeState charge_state() {
    if (says_yes(u"FullyCharged")) return ChargeState::Full;
    if (says_yes(u"IsCharging")) return ChargeState::Charging;
    return says_yes(u"ExternalConnected") ? ChargeState::Idle : ChargeState::Discharging;
}

// The battery's name for its health line: its serial, else its model's name.
std::string battery_name() {
    for (const char16_t* key : {u"Serial", u"DeviceName"}) {
        const rt::String& value = battery::GetBatteryValue(key);
        if (!value.empty() && value != battery::k_not_found) return value.utf8();
    }
    return {};
}

std::optional<HealthDay> health_day(std::string name, std::int64_t now, std::optional<int64_t> full,
                                    std::optional<int64_t> design, std::optional<int64_t> cycles) {
    if (!full || !design || *full <= 0 || *design <= 0 || name.empty()) return std::nullopt;
    return HealthDay{std::move(name), now / k_day - (now % k_day < 0), *full, *design, cycles};
}

// Each battery's own health: the registry entry's, or where the machine has several batteries,
// which the entry shows combined, each one's by itself.
std::vector<HealthDay> health_of(std::int64_t now) {
    std::vector<HealthDay> days;
    for (const BatteryPart& part : copy_battery_parts())
        if (auto day = health_day(part.name, now, part.full_mah, part.design_mah, part.cycle_count))
            days.push_back(std::move(*day));
    if (!days.empty()) return days;
    if (auto day = health_day(battery_name(), now, battery::battery_integer(u"AppleRawMaxCapacity"),
                              battery::battery_integer(u"DesignCapacity"),
                              battery::battery_integer(u"CycleCount")))
        days.push_back(std::move(*day));
    return days;
}

// What is on disk of the charts' ten days and every health day, and what waits to be written.
std::shared_ptr<const HistoryCharts> charts_now() {
    const HistoryStore* store = recorder() ? recorder()->store() : nullptr;
    if (!store) return nullptr;
    const std::int64_t now = now_seconds();
    std::vector<Reading> readings = store->readings(now - 10 * k_day, now + 1);
    std::ranges::copy(recorder()->waiting_readings(), std::back_inserter(readings));
    std::vector<HealthDay> health = store->health();
    std::ranges::copy(recorder()->waiting_health(), std::back_inserter(health));
    return std::make_shared<const HistoryCharts>(make_history_charts(readings, health, now));
}

} // namespace

void StartBatteryHistory() {
    recorder() = start_history();
    set_history_source(charts_now);
}

void RecordBatteryReading() {
    if (!recorder() || !recorder()->store()) return;
    const std::int64_t now = now_seconds();
    const ChargeState state = charge_state();
    const bool on_mains = says_yes(u"ExternalConnected");
    if (!recorder()->wants(now, state, on_mains)) return;
    const std::optional<int64_t> percent = battery::battery_integer(u"CurrentCapacity");
    if (!percent) return;
    recorder()->add({.time = now,
                     .percent = static_cast<int>(std::clamp<int64_t>(*percent, 0, 100)),
                     .left_mah = battery::battery_integer(u"AppleRawCurrentCapacity"),
                     .current_ma = battery::battery_integer(u"Amperage"),
                     .state = state,
                     .on_mains = on_mains},
                    health_of(now));
}

void WriteBatteryHistory() {
    if (recorder()) recorder()->write(now_seconds());
}

} // namespace app
