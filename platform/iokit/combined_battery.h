#pragma once
// Several system batteries (BAT0 and BAT1 of many laptops) shown as one, as a desktop's power
// manager shows them, before they are mapped to the registry: what they hold adds up, the first
// battery speaks for the rest where figures cannot be added, and the combined status is the most
// active one.
//
// The combined supply measures charge when every battery does, else energy, a charge battery's
// figures turned into energy by its own design voltage. Present, full and design contents are
// sums, unknown when one battery lacks its part; there is no percentage of the driver's, so the
// percentage comes from the sums. Currents and powers are the sums of the sizes of the batteries
// that report them, negative while discharging. Voltages, cycle count, temperature and the
// descriptions are the first battery's; its health too, unless another battery reports a
// failure. The drivers' time estimates are left out: times come from the sums.

#include "platform/iokit/power_supply.h"

#include <span>

// The batteries, in name order, combined into one supply named after the first; at least one.
PowerSupply combined_battery(std::span<const PowerSupply* const> batteries);
