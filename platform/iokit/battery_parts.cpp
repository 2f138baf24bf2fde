#include "platform/iokit/battery_parts.h"

#include "platform/iokit/battery_provider.h"

std::vector<BatteryPart> copy_battery_parts() {
    const std::shared_ptr<BatteryProvider> provider = current_battery_provider();
    return provider ? provider->battery_parts() : std::vector<BatteryPart>();
}
