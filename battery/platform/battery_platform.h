#pragma once
// The seam between the battery logic and the system: the three readings the battery code needs,
// behind an interface so that the logic runs against the system's readers or a test's.

#include "battery/platform/property_value.h"
#include "runtime/core/rt_string.h"

#include <optional>

namespace battery {

class BatteryPlatform {
  public:
    virtual ~BatteryPlatform() = default;

    // Reads every property of the battery's registry entry into `properties`, which holds the
    // previous reading: an entry whose key and value did not change is left as it is, so a
    // reading like the last one makes no new strings. False, with `properties` empty, when there
    // is no battery service or its properties cannot be read.
    virtual bool ReadBatteryRegistry(PlatformProperties& properties) = 0;
    // The description of the first power source into `properties`, as above. False, with
    // `properties` empty, when there is no power-source list, the list is empty or the first
    // source has no description.
    virtual bool ReadFirstPowerSource(PlatformProperties& properties) = 0;
    // The user's locale identifier, such as "en_US" or "de_DE"; empty when it cannot be read.
    // The reference holds until the next call.
    virtual const rt::String& CurrentLocaleIdentifier() = 0;
};

// The platform the battery readers use: the system's, unless another one is installed.
BatteryPlatform& current_battery_platform();
// Installs a platform, which must outlive its use; null goes back to the system's.
void set_battery_platform(BatteryPlatform* platform);

} // namespace battery
