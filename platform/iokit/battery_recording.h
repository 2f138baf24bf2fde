#pragma once
// A battery recorded as a property list, kept in memory where it can be edited. Three shapes
// are understood:
//   an array (the output of `ioreg -a -r -c AppleSmartBattery`): its first element, a
//     dictionary, is the registry entry; there is no power-source description;
//   a dictionary with the key "Registry" (a dictionary) and optionally "PowerSource" (a
//     dictionary): the registry entry and the first power source's description;
//   any other dictionary: the registry entry, without a power-source description.
// Values keep the kinds the property list gives them. Anything else holds no battery.

#include "platform/iokit/battery_provider.h"

#include <mutex>
#include <string>

class RecordedBattery final : public BatteryProvider {
  public:
    // A recording of a machine without a battery.
    RecordedBattery() = default;

    // The recording in the file; one without a battery when the file cannot be read or has
    // another shape, with the reason in `problem`. A usable recording with a part left out (a
    // "PowerSource" that is not a dictionary) also says so in `problem`.
    static std::shared_ptr<RecordedBattery> from_file(const std::string& path,
                                                      std::string* problem = nullptr);
    static std::shared_ptr<RecordedBattery> from_property_list(NSObject* root,
                                                               std::string* problem = nullptr);

    bool has_battery() override;
    ObjcRef<NSMutableDictionary> copy_registry_entry() override;
    void
    copy_power_source_descriptions_into(std::vector<ObjcRef<NSDictionary>>& descriptions) override;
    RecordedBattery* recording() override { return this; }

    BatteryEditResult set_registry_value(std::string_view key, id value);
    BatteryEditResult remove_registry_value(std::string_view key);
    // Setting a value without a description starts one.
    BatteryEditResult set_power_source_value(std::string_view key, id value);
    BatteryEditResult remove_power_source_value(std::string_view key);
    BatteryEditResult remove_battery();

  private:
    std::mutex m_mutex;
    // Null: no battery.
    ObjcRef<NSMutableDictionary> m_registry;
    // Null: no power-source description.
    ObjcRef<NSMutableDictionary> m_power_source;
};
