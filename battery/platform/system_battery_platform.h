#pragma once
// The battery platform of the system: the hardware registry's "AppleSmartBattery" entry, the
// power-source list and the user's locale, read through IOKit, Core Foundation and messages sent
// by name.

#include "battery/platform/battery_platform.h"

namespace battery {

class SystemBatteryPlatform final : public BatteryPlatform {
  public:
    std::optional<PlatformProperties> ReadBatteryRegistry() override;
    std::optional<PlatformProperties> ReadFirstPowerSource() override;
    rt::String CurrentLocaleIdentifier() override;
};

} // namespace battery
