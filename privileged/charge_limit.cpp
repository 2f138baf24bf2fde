#include "privileged/charge_limit.h"

#include "privileged/battery_list.h"
#include "privileged/limit_rule.h"
#include "privileged/state_file.h"
#include "privileged/threshold_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

Outcome apply_to(const std::vector<SupplyFolder>& batteries, std::uint32_t limit) {
    Outcome outcome = Outcome::Done;
    for (const SupplyFolder& battery : batteries) {
        if (const int error = apply_limit(battery, limit)) {
            std::fprintf(stderr, "%s: the limit %u could not be written: %s\n",
                         battery.name().c_str(), limit, std::strerror(error));
            outcome = Outcome::WriteFailed;
        }
    }
    return outcome;
}

bool is_charged(const SupplyFolder& battery) {
    return battery.read("status") == "Full" || battery.read("capacity") == "100";
}

bool is_online(const SupplyFolder& supply) {
    return supply.read("online") == "1";
}

bool is_discharging(const SupplyFolder& battery) {
    return battery.read("status") == "Discharging";
}

} // namespace

ChargeLimit::ChargeLimit(SystemPaths paths)
    : m_paths(std::move(paths)), m_limit(read_stored_limit(m_paths)) {}

std::vector<std::string> ChargeLimit::batteries() const {
    std::vector<std::string> names;
    for (const SupplyFolder& battery : limitable_batteries(m_paths))
        names.push_back(battery.name());
    return names;
}

Outcome ChargeLimit::set_limit(std::uint32_t percent) {
    if (!is_valid_limit(percent)) return Outcome::InvalidLimit;
    const auto batteries = limitable_batteries(m_paths);
    if (batteries.empty()) return Outcome::NotSupported;
    // The same limit again is not written again (a caller may repeat it at will).
    const bool stored = m_limit == percent && read_stored_limit(m_paths) == percent;
    if (const int error = stored ? 0 : store_limit(m_paths, percent)) {
        std::fprintf(stderr, "%s: %s\n", m_paths.state_file().c_str(), std::strerror(error));
        return Outcome::WriteFailed;
    }
    m_limit = percent;
    m_charging_once = false;
    return apply_to(batteries, percent);
}

Outcome ChargeLimit::charge_fully_once() {
    const auto batteries = limitable_batteries(m_paths);
    if (batteries.empty()) return Outcome::NotSupported;
    if (limit() == k_no_limit) return Outcome::Done;
    m_charging_once = true;
    return apply_to(batteries, k_no_limit);
}

Outcome ChargeLimit::reapply() {
    const auto in_force = limit_in_force();
    if (!in_force) return Outcome::Done;
    return apply_to(limitable_batteries(m_paths), *in_force);
}

bool ChargeLimit::check_charging_once() {
    if (!m_charging_once || !charged_or_unplugged()) return false;
    m_charging_once = false;
    (void)reapply(); // a failure is reported; the next reapplication tries again
    return true;
}

std::optional<std::uint32_t> ChargeLimit::limit_in_force() const {
    if (m_charging_once) return k_no_limit;
    return m_limit;
}

bool ChargeLimit::charged_or_unplugged() const {
    const auto batteries = limitable_batteries(m_paths);
    if (std::all_of(batteries.begin(), batteries.end(), is_charged)) return true;
    const auto supplies = external_supplies(m_paths);
    // Without a mains folder, batteries that all discharge say the same.
    if (supplies.empty()) return std::all_of(batteries.begin(), batteries.end(), is_discharging);
    return std::none_of(supplies.begin(), supplies.end(), is_online);
}
