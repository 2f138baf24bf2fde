#pragma once
// What the power supplies say about the machine's battery, in the units and conventions of the
// registry entry: capacities in mAh, temperature in tenths of a kelvin, current in mA signed by
// the direction of the charge, times in minutes. An absent value is one the supplies do not give,
// or give in a form that cannot be used (not a number, out of range).
//
// Every figure handed to the registry fits a signed 32-bit integer, as the registry's readers
// take them; one that does not is absent.

#include "platform/iokit/power_supply.h"
#include "platform/iokit/rate_average.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class ChargeStatus : std::uint8_t { Unknown, Charging, Discharging, NotCharging, Full };

// How the battery measures its contents: charge in µAh or energy in µWh.
enum class CapacityKind : std::uint8_t { None, Charge, Energy };

// One battery of several, by itself: what its health is read from, while the facts are of the
// batteries combined.
struct BatteryPart {
    // Its serial, else its model's name, else its folder's.
    std::string name;
    std::optional<std::int64_t> full_mah;
    std::optional<std::int64_t> design_mah;
    std::optional<std::int64_t> cycle_count;

    friend bool operator==(const BatteryPart&, const BatteryPart&) = default;
};

struct BatteryFacts {
    ChargeStatus status = ChargeStatus::Unknown;
    CapacityKind capacity_kind = CapacityKind::None;
    bool external_power = false;
    std::optional<std::int64_t> percent;
    std::optional<std::int64_t> current_mah;
    std::optional<std::int64_t> full_mah;
    std::optional<std::int64_t> design_mah;
    std::optional<std::int64_t> cycle_count;
    std::optional<std::int64_t> temperature_decikelvin;
    std::optional<std::int64_t> voltage_mv;
    std::optional<std::int64_t> amperage_ma;
    std::optional<std::int64_t> minutes_to_empty;
    std::optional<std::int64_t> minutes_to_full;
    std::optional<std::int64_t> average_minutes_to_empty;
    std::optional<std::int64_t> average_minutes_to_full;
    std::string device_name;
    std::string manufacturer;
    std::string serial;
    bool failure = false;
    bool permanent_failure = false;
    // The full-charge capacity has fallen below 80 % of the design capacity.
    bool worn = false;
    // The level charging stops at, in percent, where the battery can be limited; 100 is no limit.
    std::optional<std::int64_t> charge_limit;
    // None when neither the power-profiles service nor the platform profile tells.
    std::optional<bool> low_power_mode;
    // Each battery by itself, in name order, when there are several; else empty.
    std::vector<BatteryPart> parts;

    friend bool operator==(const BatteryFacts&, const BatteryFacts&) = default;
};

// The rate a provider averages over its readings (rate_average.h), and the time of this one.
struct AveragedRate {
    RateAverage& average;
    double now;
};

// The facts of the snapshot's system battery; with several, of them combined into one
// (combined_battery.h); none when there is no such battery. The times to empty and to full that
// the driver does not give are worked out from the battery's rate at this instant, or with
// `averaged` from its average.
std::optional<BatteryFacts> battery_facts(const PowerSupplySnapshot& snapshot,
                                          std::optional<AveragedRate> averaged = std::nullopt);

// The voltage, in µV, that turns the battery's energies into charges and back: its minimum
// design voltage, else its maximum design voltage, else its present voltage; none when none of
// them is positive.
std::optional<std::int64_t> design_voltage_of(const PowerSupply& battery);

// A `health` text that tells of a failure, passing or permanent ("Overheat", "Dead" ...).
bool is_failure_health(std::string_view health);
