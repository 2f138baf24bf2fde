#pragma once
// The kernel's power supplies as read from a power_supply folder: each supply's attributes as
// cleaned text, looked up through one closed table of the attributes the battery mapping uses.
// Nothing here touches the file system; sysfs_battery_reader fills these structures.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class SupplyAttribute : std::uint8_t {
    Type,
    Scope,
    Present,
    Online,
    Status,
    Health,
    Capacity,
    ChargeNow,
    ChargeFull,
    ChargeFullDesign,
    EnergyNow,
    EnergyFull,
    EnergyFullDesign,
    VoltageNow,
    VoltageMinDesign,
    VoltageMaxDesign,
    CurrentNow,
    PowerNow,
    Temp,
    CycleCount,
    TimeToEmptyNow,
    TimeToFullNow,
    TimeToEmptyAvg,
    TimeToFullAvg,
    ModelName,
    Manufacturer,
    SerialNumber,
    ChargeControlEndThreshold,
};

inline constexpr std::size_t k_supply_attribute_count =
    static_cast<std::size_t>(SupplyAttribute::ChargeControlEndThreshold) + 1;

// File names of the attributes, in the order of SupplyAttribute; a uevent line names the same
// attribute as POWER_SUPPLY_ followed by its name in capitals.
inline constexpr std::array<std::string_view, k_supply_attribute_count> k_supply_attribute_names = {
    "type",
    "scope",
    "present",
    "online",
    "status",
    "health",
    "capacity",
    "charge_now",
    "charge_full",
    "charge_full_design",
    "energy_now",
    "energy_full",
    "energy_full_design",
    "voltage_now",
    "voltage_min_design",
    "voltage_max_design",
    "current_now",
    "power_now",
    "temp",
    "cycle_count",
    "time_to_empty_now",
    "time_to_full_now",
    "time_to_empty_avg",
    "time_to_full_avg",
    "model_name",
    "manufacturer",
    "serial_number",
    "charge_control_end_threshold",
};

inline constexpr std::string_view attribute_name(SupplyAttribute attribute) {
    return k_supply_attribute_names[static_cast<std::size_t>(attribute)];
}

// The attribute whose file name is `name` (lower case, as in the folder); none for the
// attributes the mapping does not use.
std::optional<SupplyAttribute> supply_attribute_named(std::string_view name);

// The text without control characters (C0, DEL and the C1 range of UTF-8) and without blanks at
// either end, as attribute values are compared and shown.
std::string clean_attribute_text(std::string_view raw);

// A whole decimal integer with an optional sign; none for anything else, including values beyond
// 64 bits.
std::optional<std::int64_t> parse_attribute_integer(std::string_view text);

class PowerSupply {
  public:
    explicit PowerSupply(std::string name) : m_name(std::move(name)) {}

    const std::string& name() const { return m_name; }
    bool has(SupplyAttribute attribute) const { return slot(attribute).has_value(); }
    // Empty when absent.
    std::string_view text(SupplyAttribute attribute) const;
    // None when absent or not an integer.
    std::optional<std::int64_t> integer(SupplyAttribute attribute) const;
    // Keeps the first value given for an attribute; the value is cleaned here.
    void set(SupplyAttribute attribute, std::string_view raw);
    // Gives the attribute this value, cleaned, whatever it held.
    void replace(SupplyAttribute attribute, std::string_view raw);

    friend bool operator==(const PowerSupply&, const PowerSupply&) = default;

  private:
    const std::optional<std::string>& slot(SupplyAttribute attribute) const {
        return m_values[static_cast<std::size_t>(attribute)];
    }

    std::string m_name;
    std::array<std::optional<std::string>, k_supply_attribute_count> m_values;
    // Each value's integer, parsed once when the value is stored rather than at every question.
    std::array<std::optional<std::int64_t>, k_supply_attribute_count> m_integers;
};

// A battery the machine runs on: type "Battery", not a peripheral's (scope "Device"), and not
// reported absent.
bool is_system_battery(const PowerSupply& supply);
// A supply that can power the machine from outside: mains, USB or wireless, not a peripheral's.
bool is_external_power_supply(const PowerSupply& supply);

struct PowerSupplySnapshot {
    // In name order.
    std::vector<PowerSupply> supplies;
    // The firmware's platform profile ("low-power", "balanced" ...); empty when not read.
    std::string platform_profile;

    friend bool operator==(const PowerSupplySnapshot&, const PowerSupplySnapshot&) = default;
};
