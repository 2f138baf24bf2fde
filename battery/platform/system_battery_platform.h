#pragma once
// The battery platform of the system: the hardware registry's "AppleSmartBattery" entry, the
// power-source list and the user's locale, read through IOKit, Core Foundation and messages sent
// by name.

#include "battery/platform/battery_platform.h"

namespace battery {

class SystemBatteryPlatform final : public BatteryPlatform {
  public:
    bool ReadBatteryRegistry(PlatformProperties& properties) override;
    bool ReadFirstPowerSource(PlatformProperties& properties) override;
    const rt::String& CurrentLocaleIdentifier() override;

  private:
    rt::String m_locale_identifier; // the last one read
};

} // namespace battery
