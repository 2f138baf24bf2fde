#pragma once
// The machine's batteries whose charge can be limited, and the other supplies that say whether
// the machine is on external power.

#include "privileged/supply_folder.h"

#include <vector>

// The attribute whose presence makes a battery one that can be limited.
constexpr const char* k_end_threshold = "charge_control_end_threshold";

// The batteries of the machine's own (see SupplyFolder::is_system_battery) that have an end
// threshold, by name; the supplies' folders are looked at afresh on every call.
std::vector<SupplyFolder> limitable_batteries(const SystemPaths& paths);

// The machine's supplies that are not batteries (mains, USB): the ones whose `online` tells
// whether external power is there.
std::vector<SupplyFolder> external_supplies(const SystemPaths& paths);
