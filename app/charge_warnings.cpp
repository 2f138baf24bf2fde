#include "app/charge_warnings.h"

#include "battery/battery_properties.h"
#include "battery/charge_hold.h"
#include "platform/appkit/ns_user_notification.h"

#include <algorithm>
#include <string>

namespace app {
namespace {

WarningState& warning_state() {
    static WarningState state;
    return state;
}

bool says_yes(const char16_t* key) {
    return battery::GetBatteryValue(key) == u"Yes";
}

UserNotification notification_for(WarningKind kind, const WarningReading& reading) {
    const int percent = reading.percent;
    const std::string remaining = std::to_string(percent) + "% remaining.";
    switch (kind) {
    case WarningKind::low:
        return {"low", "Battery Low", remaining + " Connect the power adapter soon.", false};
    case WarningKind::critical:
        return {"critical", "Battery Critically Low",
                remaining + " Connect the power adapter now to keep working.", true};
    case WarningKind::full:
        if (reading.held_at)
            return {"full", "Charge Limit Reached",
                    "Charging is held at " + std::to_string(*reading.held_at) +
                        "%. You may unplug the power adapter.",
                    false};
        return {"full", "Battery Fully Charged", "You may unplug the power adapter.", false};
    }
    return {};
}

} // namespace

void WarnAboutCharge(const WarningSettings& settings) {
    const std::optional<int64_t> percent = battery::battery_integer(u"CurrentCapacity");
    if (!percent) return;
    WarningReading reading;
    reading.percent = static_cast<int>(std::clamp<int64_t>(*percent, 0, 100));
    reading.on_mains = says_yes(u"ExternalConnected");
    reading.charging = says_yes(u"IsCharging");
    reading.fully_charged = says_yes(u"FullyCharged");
    if (const std::optional<int64_t> limit = battery::held_at(battery::charge_hold_reading()))
        reading.held_at = static_cast<int>(*limit);
    // Asked only when a low or critical warning could be due: the question goes over the
    // session bus.
    const bool could_warn =
        settings.enabled && !settings.even_where_desktop_warns && !reading.on_mains &&
        !reading.charging &&
        reading.percent <= std::max(settings.low_percent, settings.critical_percent);
    reading.desktop_warns = could_warn && DesktopWarnsAboutBattery();
    const std::optional<WarningKind> kind = next_warning(warning_state(), settings, reading);
    if (kind) DeliverUserNotification(notification_for(*kind, reading));
}

} // namespace app
