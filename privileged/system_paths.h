#pragma once
// Where the service finds the power supplies and keeps the chosen limit: the machine's own
// folders, or a hand-made tree and a scratch folder in the tests (see options.h).

#include <string>

struct SystemPaths {
    // Stands for /sys: the supplies are in class/power_supply, and may only lead into devices.
    std::string sysfs = "/sys";
    std::string state = "/var/lib/zerarazi";

    std::string supply_folder() const { return sysfs + "/class/power_supply"; }
    std::string devices_folder() const { return sysfs + "/devices"; }
    std::string state_file() const { return state + "/" + k_state_file_name; }

    static constexpr const char* k_state_file_name = "charge-limit";
};
