#include "platform/iokit/battery_facts.h"

#include "platform/iokit/combined_battery.h"
#include "platform/iokit/figure.h"
#include "platform/iokit/power_saver_state.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>
#include <vector>

namespace {

Figure fits_registry(Figure a) {
    if (!a) return std::nullopt;
    if (*a < std::numeric_limits<std::int32_t>::min()) return std::nullopt;
    if (*a > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return a;
}

constexpr std::array<std::string_view, 8> k_failure_health = {
    "Overheat", "Over voltage", "Under voltage",         "Over current",
    "Cold",     "Hot",          "Watchdog timer expire", "Safety timer expire",
};
constexpr std::array<std::string_view, 4> k_permanent_failure_health = {
    "Dead", "Unspecified failure", "Blown fuse", "Cell imbalance"};

template <std::size_t N>
bool is_one_of(std::string_view text, const std::array<std::string_view, N>& texts) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

ChargeStatus status_of(std::string_view text) {
    if (text == "Charging") return ChargeStatus::Charging;
    if (text == "Discharging") return ChargeStatus::Discharging;
    if (text == "Not charging") return ChargeStatus::NotCharging;
    if (text == "Full") return ChargeStatus::Full;
    return ChargeStatus::Unknown;
}

// The battery's contents in its own unit (µAh or µWh).
struct Capacities {
    CapacityKind kind = CapacityKind::None;
    Figure now;
    Figure full;
    Figure design;
};

Capacities capacities_of(const PowerSupply& battery) {
    using A = SupplyAttribute;
    Capacities charge{CapacityKind::Charge, battery.integer(A::ChargeNow),
                      battery.integer(A::ChargeFull), battery.integer(A::ChargeFullDesign)};
    if (charge.now || charge.full || charge.design) return charge;
    Capacities energy{CapacityKind::Energy, battery.integer(A::EnergyNow),
                      battery.integer(A::EnergyFull), battery.integer(A::EnergyFullDesign)};
    if (energy.now || energy.full || energy.design) return energy;
    return {};
}

Figure milliamp_hours(Figure amount, CapacityKind kind, Figure design_voltage) {
    if (kind == CapacityKind::Energy && design_voltage) {
        return divide(multiply(amount, 1000), design_voltage);
    }
    // Without a voltage an energy stays an energy (mWh): every capacity alike, so ratios hold.
    return divide(amount, 1000);
}

// The rate at which the contents change, in the battery's own unit per hour; absent when 0.
Figure rate_of(const PowerSupply& battery, CapacityKind kind) {
    Figure current = size_of(battery.integer(SupplyAttribute::CurrentNow));
    Figure power = size_of(battery.integer(SupplyAttribute::PowerNow));
    Figure voltage = positive(battery.integer(SupplyAttribute::VoltageNow));
    Figure rate;
    if (kind == CapacityKind::Charge) {
        rate = current ? current : divide(multiply(power, 1'000'000), voltage);
    } else if (kind == CapacityKind::Energy) {
        rate = power ? power : divide(multiply(current, voltage), 1'000'000);
    }
    return positive(rate);
}

Figure amperage_of(const PowerSupply& battery, ChargeStatus status) {
    Figure current = battery.integer(SupplyAttribute::CurrentNow);
    Figure milliamps =
        current ? divide(size_of(current), 1000)
                : divide(multiply(size_of(battery.integer(SupplyAttribute::PowerNow)), 1000),
                         positive(battery.integer(SupplyAttribute::VoltageNow)));
    if (!milliamps) return std::nullopt;
    if (status == ChargeStatus::Discharging) return -*milliamps;
    if (status == ChargeStatus::Charging) return milliamps;
    return 0;
}

Figure percent_of(const PowerSupply& battery, const Capacities& capacities) {
    Figure percent = battery.integer(SupplyAttribute::Capacity);
    if (!percent && positive(capacities.full)) {
        percent = divide(add(multiply(capacities.now, 100), *capacities.full / 2), capacities.full);
    }
    if (!percent) return std::nullopt;
    return std::clamp<std::int64_t>(*percent, 0, 100);
}

// A threshold outside 1..100 is not one a battery could hold.
Figure charge_limit_of(const PowerSupply& battery) {
    const Figure limit = battery.integer(SupplyAttribute::ChargeControlEndThreshold);
    if (!limit || *limit < 1 || *limit > 100) return std::nullopt;
    return limit;
}

// The driver's own estimate, in seconds; negative values are not estimates.
Figure driver_minutes(Figure seconds) {
    if (!seconds || *seconds < 0) return std::nullopt;
    return *seconds / 60;
}

Figure computed_minutes_to_full(const Capacities& capacities, Figure rate) {
    if (!rate || !capacities.now || !capacities.full) return std::nullopt;
    if (*capacities.now >= *capacities.full) return 0;
    return divide(multiply(subtract(capacities.full, capacities.now), 60), rate);
}

// `rate` is the battery's rate (rate_of), or its average over time.
void set_minutes(BatteryFacts& facts, const PowerSupply& battery, const Capacities& capacities,
                 Figure rate) {
    using A = SupplyAttribute;
    Figure now = capacities.now;
    if (now) *now = std::max<std::int64_t>(*now, 0);
    Figure to_empty = rate ? divide(multiply(now, 60), rate) : Figure();
    Figure to_full = computed_minutes_to_full(capacities, rate);
    to_empty = either(driver_minutes(battery.integer(A::TimeToEmptyNow)), to_empty);
    to_full = either(driver_minutes(battery.integer(A::TimeToFullNow)), to_full);
    // Without an average from the driver, the averages are the present estimates.
    Figure average_to_empty = either(driver_minutes(battery.integer(A::TimeToEmptyAvg)), to_empty);
    Figure average_to_full = either(driver_minutes(battery.integer(A::TimeToFullAvg)), to_full);
    facts.minutes_to_empty = fits_registry(to_empty);
    facts.minutes_to_full = fits_registry(to_full);
    facts.average_minutes_to_empty = fits_registry(average_to_empty);
    facts.average_minutes_to_full = fits_registry(average_to_full);
}

void set_capacities(BatteryFacts& facts, const PowerSupply& battery, const Capacities& capacities) {
    Figure voltage = design_voltage_of(battery);
    facts.capacity_kind = capacities.kind;
    facts.percent = percent_of(battery, capacities);
    facts.current_mah = fits_registry(milliamp_hours(capacities.now, capacities.kind, voltage));
    facts.full_mah = fits_registry(milliamp_hours(capacities.full, capacities.kind, voltage));
    facts.design_mah = fits_registry(milliamp_hours(capacities.design, capacities.kind, voltage));
    Figure design = positive(capacities.design);
    if (capacities.full && design) {
        facts.worn = __int128(*capacities.full) * 100 < __int128(*design) * 80;
    }
}

void set_measurements(BatteryFacts& facts, const PowerSupply& battery) {
    using A = SupplyAttribute;
    facts.cycle_count = fits_registry(positive(battery.integer(A::CycleCount)));
    facts.temperature_decikelvin = fits_registry(add(battery.integer(A::Temp), 2732));
    facts.voltage_mv = fits_registry(divide(battery.integer(A::VoltageNow), 1000));
    facts.charge_limit = charge_limit_of(battery);
    facts.amperage_ma = fits_registry(amperage_of(battery, facts.status));
}

void set_descriptions(BatteryFacts& facts, const PowerSupply& battery) {
    using A = SupplyAttribute;
    facts.device_name = battery.text(A::ModelName);
    facts.manufacturer = battery.text(A::Manufacturer);
    facts.serial = battery.text(A::SerialNumber);
    facts.failure = is_one_of(battery.text(A::Health), k_failure_health);
    facts.permanent_failure = is_one_of(battery.text(A::Health), k_permanent_failure_health);
}

// Any external supply that reports itself online; without a readable external supply, a battery
// that is charging, full or held at its level is taken to be on external power.
bool has_external_power(const PowerSupplySnapshot& snapshot, ChargeStatus status) {
    bool seen = false;
    for (const PowerSupply& supply : snapshot.supplies) {
        if (!is_external_power_supply(supply)) continue;
        Figure online = supply.integer(SupplyAttribute::Online);
        if (!online) continue;
        if (*online != 0) return true;
        seen = true;
    }
    if (seen) return false;
    return status == ChargeStatus::Charging || status == ChargeStatus::Full ||
           status == ChargeStatus::NotCharging;
}

std::vector<const PowerSupply*> system_batteries(const PowerSupplySnapshot& snapshot) {
    std::vector<const PowerSupply*> batteries;
    for (const PowerSupply& supply : snapshot.supplies) {
        if (is_system_battery(supply)) batteries.push_back(&supply);
    }
    return batteries;
}

} // namespace

std::optional<std::int64_t> design_voltage_of(const PowerSupply& battery) {
    using A = SupplyAttribute;
    for (A attribute : {A::VoltageMinDesign, A::VoltageMaxDesign, A::VoltageNow}) {
        if (Figure voltage = positive(battery.integer(attribute))) return voltage;
    }
    return std::nullopt;
}

bool is_failure_health(std::string_view health) {
    return is_one_of(health, k_failure_health) || is_one_of(health, k_permanent_failure_health);
}

namespace {

// The power-profiles service, where it answers, else the firmware's platform profile.
std::optional<bool> low_power_mode(const PowerSupplySnapshot& snapshot) {
    switch (power_saver_state()) {
    case PowerSaver::on:
        return true;
    case PowerSaver::off:
        return false;
    case PowerSaver::unknown:
        break;
    }
    if (snapshot.platform_profile.empty()) return std::nullopt;
    return snapshot.platform_profile == "low-power";
}

BatteryPart part_of(const PowerSupply& battery) {
    BatteryFacts alone;
    set_capacities(alone, battery, capacities_of(battery));
    set_measurements(alone, battery);
    set_descriptions(alone, battery);
    std::string name = !alone.serial.empty()        ? alone.serial
                       : !alone.device_name.empty() ? alone.device_name
                                                    : battery.name();
    return {std::move(name), alone.full_mah, alone.design_mah, alone.cycle_count};
}

RateDirection direction_of(ChargeStatus status) {
    if (status == ChargeStatus::Charging) return RateDirection::Charging;
    if (status == ChargeStatus::Discharging) return RateDirection::Discharging;
    return RateDirection::Unknown;
}

} // namespace

std::optional<BatteryFacts> battery_facts(const PowerSupplySnapshot& snapshot,
                                          std::optional<AveragedRate> averaged) {
    const std::vector<const PowerSupply*> batteries = system_batteries(snapshot);
    if (batteries.empty()) return std::nullopt;
    std::optional<PowerSupply> combined;
    if (batteries.size() > 1) combined = combined_battery(batteries);
    const PowerSupply* battery = combined ? &*combined : batteries.front();
    BatteryFacts facts;
    facts.status = status_of(battery->text(SupplyAttribute::Status));
    facts.external_power = has_external_power(snapshot, facts.status);
    facts.low_power_mode = low_power_mode(snapshot);
    Capacities capacities = capacities_of(*battery);
    set_capacities(facts, *battery, capacities);
    Figure rate = rate_of(*battery, capacities.kind);
    if (averaged) rate = averaged->average.add(averaged->now, rate, direction_of(facts.status));
    set_minutes(facts, *battery, capacities, rate);
    set_measurements(facts, *battery);
    set_descriptions(facts, *battery);
    if (combined)
        for (const PowerSupply* part : batteries)
            facts.parts.push_back(part_of(*part));
    return facts;
}
