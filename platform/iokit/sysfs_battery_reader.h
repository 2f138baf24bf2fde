#pragma once
// Reads a power_supply folder: the machine's /sys/class/power_supply or a tree laid out like
// it, one folder per supply. A supply's values come from one read of its `uevent` file
// (POWER_SUPPLY_<NAME>=value lines); only values that file lacks are looked for in the
// attribute files of the same name. Anything that cannot be read is absent; nothing here fails.

#include "platform/iokit/power_supply.h"

#include <string>

// The supplies in name order (byte order of the folder names); folders whose names start with
// a dot are passed over. Every supply is read from its uevent; lacking values are looked for in
// attribute files only where they matter: the type of every supply, the scope and online state
// of external supplies, and every value of the first system battery. The platform profile is
// read from `platform_profile_path` unless it is empty.
PowerSupplySnapshot read_power_supply_folder(const std::string& folder,
                                             const std::string& platform_profile_path = {});
