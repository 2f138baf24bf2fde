#pragma once
// The status item's battery picture: seven pictures, each a runtime image under a fixed number,
// and the choice among them from the battery's properties on every refresh.

#include "runtime/core/rt_string.h"

#include <array>
#include <cstdint>

namespace battery {

enum class StatusIcon { full, three_quarters, half, quarter, low, charging, mains };

struct StatusIconSlot {
    StatusIcon icon;
    int64_t image_number;
    // From the bundle's resource folder.
    const char16_t* relative_path;
};

// In the order the pictures are loaded at start-up.
inline constexpr std::array<StatusIconSlot, 7> k_status_icon_slots = {
    StatusIconSlot{StatusIcon::full, 0, u"../Resources/battery_icon.png"},
    StatusIconSlot{StatusIcon::charging, 2, u"../Resources/battery_icon_charging.png"},
    StatusIconSlot{StatusIcon::mains, 4, u"../Resources/battery_icon_ac.png"},
    StatusIconSlot{StatusIcon::three_quarters, 6, u"../Resources/75_battery_icon.png"},
    StatusIconSlot{StatusIcon::half, 8, u"../Resources/50_battery_icon.png"},
    StatusIconSlot{StatusIcon::quarter, 10, u"../Resources/25_battery_icon.png"},
    StatusIconSlot{StatusIcon::low, 12, u"../Resources/10_battery_icon.png"},
};

const StatusIconSlot& status_icon_slot(StatusIcon icon);

// The picture the loaded battery properties call for: on mains power (a "PowerSource" of "AC
// Power", or, with no "PowerSource", "ExternalConnected" "Yes") charging when "FullyCharged" is
// "Yes", else mains; otherwise by "CurrentCapacity": 76-100 full, 51-75 three quarters, 26-50
// half, 11-25 quarter, anything else low.
StatusIcon ChooseStatusIcon();

// Sets the chosen picture's image on the status item and marks it a template image, both by
// message; an empty slot (no image of that number) leaves the item's picture as it is.
void SelectStatusIcon();

// The status item the pictures are set on (a native object; 0: none). The application sets it
// once it has made the item.
void set_status_item(int64_t item);
int64_t status_item();

} // namespace battery
