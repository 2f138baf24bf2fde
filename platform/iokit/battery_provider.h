#pragma once
// Where the registry entry of the battery and the power-source descriptions come from. The
// environment variable ZERARAZI_BATTERY chooses, once, on first use:
//   unset or empty  the machine's /sys/class/power_supply;
//   a folder        a tree laid out like it (the platform profile is a file `platform_profile`
//                   at its top);
//   anything else   a property-list recording, read once and then kept (and editable) in
//                   memory. A recording that cannot be used gives a machine without a battery,
//                   and the reason goes to standard error.
//
// The IOKit functions ask the current provider on every call; a live source reads its files
// again for each refresh (sysfs_battery.h says when a reading is reused).

#include "platform/foundation/ns_dictionary.h"
#include "platform/iokit/battery_facts.h"

#include <memory>
#include <string_view>
#include <vector>

class RecordedBattery;

class BatteryProvider {
  public:
    virtual ~BatteryProvider() = default;

    virtual bool has_battery() = 0;
    // A new dictionary of the battery's registry properties; null when there is no battery.
    virtual ObjcRef<NSMutableDictionary> copy_registry_entry() = 0;
    // The power sources' descriptions, the battery's first; empty when there are none. The
    // dictionaries are snapshots: later changes to the source do not reach them.
    std::vector<ObjcRef<NSDictionary>> copy_power_source_descriptions() {
        std::vector<ObjcRef<NSDictionary>> descriptions;
        copy_power_source_descriptions_into(descriptions);
        return descriptions;
    }
    // The same in place of what `descriptions` held, in its room.
    virtual void
    copy_power_source_descriptions_into(std::vector<ObjcRef<NSDictionary>>& descriptions) = 0;
    // Each battery by itself when the machine has several (battery_parts.h); else empty.
    virtual std::vector<BatteryPart> battery_parts() { return {}; }
    // The recording behind this provider, for editing; null for a live source.
    virtual RecordedBattery* recording() { return nullptr; }
};

// The provider for a value of ZERARAZI_BATTERY (null or empty: the machine).
std::shared_ptr<BatteryProvider> make_battery_provider(const char* setting);

// The current provider, chosen from ZERARAZI_BATTERY on first use.
std::shared_ptr<BatteryProvider> current_battery_provider();

// Reads ZERARAZI_BATTERY again and makes the provider it names current; a recording is read
// anew, dropping any edits.
void reselect_battery_provider();

// Edits of the current recording, for the driver's `battery` and `power` commands.
enum class BatteryEditResult {
    Done,
    // The current provider is not a recording.
    NotRecorded,
    // The recording holds no battery (it could not be used, or the battery was removed).
    NoBattery,
    // Removing a key that is not there.
    NoSuchKey,
    // Setting a null value or an empty key.
    Refused,
};

// Setting a key that is present replaces its value in place; a new key goes last. The value is
// retained, not copied.
BatteryEditResult set_recorded_registry_value(std::string_view key, id value);
BatteryEditResult remove_recorded_registry_value(std::string_view key);
// The first power source's description; setting a value in a recording that has none starts one.
BatteryEditResult set_recorded_power_source_value(std::string_view key, id value);
BatteryEditResult remove_recorded_power_source_value(std::string_view key);
// From now on the recorded machine has no battery and no power source.
BatteryEditResult remove_recorded_battery();
