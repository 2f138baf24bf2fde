#pragma once
// The battery of a power_supply folder (the machine's, or one laid out like it), mapped to the
// registry entry and the power-source description.
//
// One refresh asks three questions in a row (is there a battery, its registry entry, its power
// source); each would read every supply's files again. So a reading is reused while the platform
// clock (platform/foundation/clock.h) stays within k_reading_lifetime of when it was taken: under
// a virtual clock, until the clock is advanced. Code that changes a folder and must see the
// change at once makes a new provider (reselect_battery_provider) or moves the clock on. The
// list of supplies and of the files each holds is kept longer (PowerSupplyFolder): a supply added
// to the folder is seen once the clock has moved on by PowerSupplyFolder::k_listing_lifetime.
//
// The times to empty and to full come from the battery's rate averaged over the readings
// (rate_average.h). The facts are made again only when a reading or the power-saver state differs
// from the last. The registry entry and the power-source description made from them are handed
// out again while the facts stay the same (reused_dictionary.h says when they are not).

#include "platform/iokit/battery_facts.h"
#include "platform/iokit/battery_provider.h"
#include "platform/iokit/power_saver_state.h"
#include "platform/iokit/reused_dictionary.h"
#include "platform/iokit/sysfs_battery_reader.h"

#include <mutex>
#include <optional>
#include <string>

class SysfsBattery final : public BatteryProvider {
  public:
    static constexpr const char* k_machine_folder = "/sys/class/power_supply";
    static constexpr const char* k_machine_platform_profile = "/sys/firmware/acpi/platform_profile";
    // Seconds.
    static constexpr double k_reading_lifetime = 0.25;

    // The machine's own supplies.
    SysfsBattery();
    // A folder laid out like the machine's, with the platform profile in a file
    // `platform_profile` at its top.
    explicit SysfsBattery(std::string folder);

    bool has_battery() override;
    ObjcRef<NSMutableDictionary> copy_registry_entry() override;
    void
    copy_power_source_descriptions_into(std::vector<ObjcRef<NSDictionary>>& descriptions) override;
    std::vector<BatteryPart> battery_parts() override;

  private:
    SysfsBattery(std::string folder, std::string platform_profile_path);
    // The facts of the current reading; null without a battery. The caller holds m_mutex.
    const BatteryFacts* current_facts();
    void update_facts(const PowerSupplySnapshot& reading, double now);

    std::mutex m_mutex;
    PowerSupplyFolder m_supplies;
    // The state m_facts were made with; none before the first reading.
    std::optional<PowerSaver> m_facts_power_saver;
    std::optional<BatteryFacts> m_facts;
    RateAverage m_rate;
    std::optional<double> m_read_at;
    ReusedDictionary<BatteryFacts> m_registry_entry;
    ReusedDictionary<BatteryFacts> m_power_source;
};
