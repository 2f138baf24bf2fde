#include "platform/iokit/sysfs_battery.h"

#include "platform/foundation/clock.h"
#include "platform/iokit/battery_dictionaries.h"

SysfsBattery::SysfsBattery() : SysfsBattery(k_machine_folder, k_machine_platform_profile) {}

SysfsBattery::SysfsBattery(std::string folder)
    : SysfsBattery(folder, folder + "/platform_profile") {}

SysfsBattery::SysfsBattery(std::string folder, std::string platform_profile_path)
    : m_supplies(std::move(folder), std::move(platform_profile_path)) {}

std::optional<BatteryFacts> SysfsBattery::facts() {
    std::lock_guard lock(m_mutex);
    double now = platform_now();
    // A clock that went back does not make an old reading new.
    bool fresh = m_read_at && now >= *m_read_at && now - *m_read_at < k_reading_lifetime;
    if (!fresh) {
        m_facts = battery_facts(m_supplies.read(now));
        m_read_at = now;
    }
    return m_facts;
}

bool SysfsBattery::has_battery() {
    return facts().has_value();
}

ObjcRef<NSMutableDictionary> SysfsBattery::copy_registry_entry() {
    std::optional<BatteryFacts> battery = facts();
    if (!battery) return {};
    std::lock_guard lock(m_mutex);
    return m_registry_entry.get(*battery, make_registry_entry);
}

std::vector<ObjcRef<NSDictionary>> SysfsBattery::copy_power_source_descriptions() {
    std::vector<ObjcRef<NSDictionary>> descriptions;
    std::optional<BatteryFacts> battery = facts();
    if (!battery) return descriptions;
    std::lock_guard lock(m_mutex);
    descriptions.emplace_back(m_power_source.get(*battery, make_power_source_description));
    return descriptions;
}
