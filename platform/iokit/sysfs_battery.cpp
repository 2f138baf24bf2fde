#include "platform/iokit/sysfs_battery.h"

#include "platform/foundation/clock.h"
#include "platform/iokit/battery_dictionaries.h"

SysfsBattery::SysfsBattery() : SysfsBattery(k_machine_folder, k_machine_platform_profile) {}

SysfsBattery::SysfsBattery(std::string folder)
    : SysfsBattery(folder, folder + "/platform_profile") {}

SysfsBattery::SysfsBattery(std::string folder, std::string platform_profile_path)
    : m_supplies(std::move(folder), std::move(platform_profile_path)) {}

const BatteryFacts* SysfsBattery::current_facts() {
    double now = platform_now();
    // A clock that went back does not make an old reading new.
    bool fresh = m_read_at && now >= *m_read_at && now - *m_read_at < k_reading_lifetime;
    if (!fresh) {
        update_facts(m_supplies.read(now), now);
        m_read_at = now;
    }
    return m_facts ? &*m_facts : nullptr;
}

void SysfsBattery::update_facts(const PowerSupplySnapshot& reading, double now) {
    // battery_facts reads the power-saver state besides the reading.
    PowerSaver power_saver = power_saver_state();
    if (m_supplies.last_reading_repeated() && m_facts_power_saver == power_saver) return;
    m_facts = battery_facts(reading, AveragedRate{m_rate, now});
    m_facts_power_saver = power_saver;
}

bool SysfsBattery::has_battery() {
    std::lock_guard lock(m_mutex);
    return current_facts() != nullptr;
}

ObjcRef<NSMutableDictionary> SysfsBattery::copy_registry_entry() {
    std::lock_guard lock(m_mutex);
    const BatteryFacts* battery = current_facts();
    if (!battery) return {};
    return m_registry_entry.get(*battery, make_registry_entry, update_registry_entry);
}

std::vector<BatteryPart> SysfsBattery::battery_parts() {
    std::lock_guard lock(m_mutex);
    const BatteryFacts* battery = current_facts();
    return battery ? battery->parts : std::vector<BatteryPart>();
}

void SysfsBattery::copy_power_source_descriptions_into(
    std::vector<ObjcRef<NSDictionary>>& descriptions) {
    descriptions.clear();
    std::lock_guard lock(m_mutex);
    const BatteryFacts* battery = current_facts();
    if (!battery) return;
    descriptions.emplace_back(m_power_source.get(*battery, make_power_source_description,
                                                 update_power_source_description));
}
