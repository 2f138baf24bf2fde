#include "battery/platform/battery_platform.h"

#include "battery/platform/system_battery_platform.h"

namespace battery {
namespace {

BatteryPlatform* g_installed_platform = nullptr;

} // namespace

BatteryPlatform& current_battery_platform() {
    if (g_installed_platform) return *g_installed_platform;
    static SystemBatteryPlatform system_platform;
    return system_platform;
}

void set_battery_platform(BatteryPlatform* platform) {
    g_installed_platform = platform;
}

} // namespace battery
