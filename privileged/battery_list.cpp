#include "privileged/battery_list.h"

#include <algorithm>
#include <dirent.h>
#include <string>

namespace {

// More supplies than any machine has: a tree that holds more is not the kernel's.
constexpr std::size_t k_most_supplies = 64;

std::vector<std::string> supply_names(const SystemPaths& paths) {
    std::vector<std::string> names;
    DIR* folder = ::opendir(paths.supply_folder().c_str());
    if (!folder) return names;
    while (const dirent* entry = ::readdir(folder)) {
        if (entry->d_name[0] == '.') continue;
        names.emplace_back(entry->d_name);
        if (names.size() == k_most_supplies) break;
    }
    ::closedir(folder);
    std::sort(names.begin(), names.end());
    return names;
}

template <typename Wanted>
std::vector<SupplyFolder> supplies_where(const SystemPaths& paths, Wanted wanted) {
    std::vector<SupplyFolder> found;
    for (const std::string& name : supply_names(paths)) {
        auto supply = SupplyFolder::open(paths, name);
        if (supply && wanted(*supply)) found.push_back(std::move(*supply));
    }
    return found;
}

} // namespace

std::vector<SupplyFolder> limitable_batteries(const SystemPaths& paths) {
    return supplies_where(paths, [](const SupplyFolder& supply) {
        return supply.is_system_battery() && supply.has(k_end_threshold);
    });
}

std::vector<SupplyFolder> external_supplies(const SystemPaths& paths) {
    return supplies_where(paths, [](const SupplyFolder& supply) {
        const auto type = supply.read("type");
        return type && *type != "Battery" && supply.read("scope") != "Device" &&
               supply.has("online");
    });
}
