#include "platform/iokit/combined_battery.h"

#include "platform/iokit/battery_facts.h"
#include "platform/iokit/figure.h"

#include <algorithm>
#include <string>

namespace {

using A = SupplyAttribute;
using Batteries = std::span<const PowerSupply* const>;

struct ContentAttributes {
    A now;
    A full;
    A design;
};
constexpr ContentAttributes k_charge{A::ChargeNow, A::ChargeFull, A::ChargeFullDesign};
constexpr ContentAttributes k_energy{A::EnergyNow, A::EnergyFull, A::EnergyFullDesign};

bool measures_charge(const PowerSupply& battery) {
    return battery.has(k_charge.now) || battery.has(k_charge.full) || battery.has(k_charge.design);
}

using Part = A ContentAttributes::*;

// The battery's `part` of its contents, in the combination's kind: a charge battery's charge is
// turned into energy by its design voltage when the combination measures energy.
Figure content_of(const PowerSupply& battery, Part part, bool combined_in_charge) {
    if (combined_in_charge) return battery.integer(k_charge.*part);
    if (!measures_charge(battery)) return battery.integer(k_energy.*part);
    return divide(multiply(battery.integer(k_charge.*part), design_voltage_of(battery)), 1'000'000);
}

Figure sum_of_contents(Batteries batteries, Part part, bool in_charge) {
    Figure sum = 0;
    for (const PowerSupply* battery : batteries)
        sum = add(sum, content_of(*battery, part, in_charge));
    return sum;
}

// The sum of the sizes of the batteries that report `attribute`; none when none does.
Figure sum_of_rates(Batteries batteries, A attribute) {
    Figure sum;
    for (const PowerSupply* battery : batteries) {
        if (Figure rate = battery->integer(attribute)) sum = add(sum.value_or(0), size_of(rate));
    }
    return sum;
}

bool any_has_status(Batteries batteries, std::string_view status) {
    return std::any_of(batteries.begin(), batteries.end(),
                       [&](const PowerSupply* b) { return b->text(A::Status) == status; });
}

std::string_view combined_status(Batteries batteries) {
    if (any_has_status(batteries, "Charging")) return "Charging";
    if (any_has_status(batteries, "Discharging")) return "Discharging";
    const bool all_full = std::all_of(batteries.begin(), batteries.end(), [](const PowerSupply* b) {
        return b->text(A::Status) == "Full";
    });
    return all_full ? "Full" : batteries.front()->text(A::Status);
}

std::string_view combined_health(Batteries batteries) {
    for (const PowerSupply* battery : batteries) {
        if (is_failure_health(battery->text(A::Health))) return battery->text(A::Health);
    }
    return batteries.front()->text(A::Health);
}

void set_figure(PowerSupply& supply, A attribute, Figure value) {
    if (value) supply.set(attribute, std::to_string(*value));
}

void set_text(PowerSupply& supply, A attribute, std::string_view text) {
    if (!text.empty()) supply.set(attribute, text);
}

void copy_from_first(PowerSupply& combined, const PowerSupply& first) {
    for (A attribute : {A::Type, A::Scope, A::Present, A::VoltageNow, A::VoltageMinDesign,
                        A::VoltageMaxDesign, A::Temp, A::CycleCount, A::ModelName, A::Manufacturer,
                        A::SerialNumber, A::ChargeControlEndThreshold}) {
        if (first.has(attribute)) combined.set(attribute, first.text(attribute));
    }
}

void set_contents(PowerSupply& combined, Batteries batteries) {
    const bool in_charge = std::all_of(batteries.begin(), batteries.end(),
                                       [](const PowerSupply* b) { return measures_charge(*b); });
    const ContentAttributes& into = in_charge ? k_charge : k_energy;
    for (Part part :
         {&ContentAttributes::now, &ContentAttributes::full, &ContentAttributes::design})
        set_figure(combined, into.*part, sum_of_contents(batteries, part, in_charge));
}

void set_rates(PowerSupply& combined, Batteries batteries, std::string_view status) {
    const int sign = status == "Discharging" ? -1 : 1;
    for (A attribute : {A::CurrentNow, A::PowerNow})
        set_figure(combined, attribute, multiply(sum_of_rates(batteries, attribute), sign));
}

} // namespace

PowerSupply combined_battery(Batteries batteries) {
    const PowerSupply& first = *batteries.front();
    PowerSupply combined(first.name());
    const std::string_view status = combined_status(batteries);
    set_text(combined, A::Status, status);
    set_text(combined, A::Health, combined_health(batteries));
    copy_from_first(combined, first);
    set_contents(combined, batteries);
    set_rates(combined, batteries, status);
    return combined;
}
