#include "battery/status_icon.h"

#include "battery/battery_properties.h"
#include "runtime/core/images.h"
#include "runtime/core/number_text.h"
#include "runtime/ui/native_message.h"

namespace battery {
namespace {

int64_t g_status_item = 0;
// The image last given to the status item, which giving again would change nothing.
int64_t g_given_image = 0;

struct CapacityBand {
    int64_t lowest;
    int64_t highest;
    StatusIcon icon;
};

// Tested in this order; a capacity in none of them shows the low picture.
constexpr std::array<CapacityBand, 4> k_capacity_bands = {
    CapacityBand{76, 100, StatusIcon::full},
    CapacityBand{51, 75, StatusIcon::three_quarters},
    CapacityBand{26, 50, StatusIcon::half},
    CapacityBand{11, 25, StatusIcon::quarter},
};

bool on_mains() {
    const rt::String& state = GetBatteryValue(u"PowerSource");
    if (!state.empty() && state != k_not_found) return state == u"AC Power";
    return GetBatteryValue(u"ExternalConnected") == u"Yes";
}

StatusIcon icon_for_capacity(int64_t capacity) {
    for (const CapacityBand& band : k_capacity_bands) {
        if (capacity >= band.lowest && capacity <= band.highest) return band.icon;
    }
    return StatusIcon::low;
}

} // namespace

const StatusIconSlot& status_icon_slot(StatusIcon icon) {
    for (const StatusIconSlot& slot : k_status_icon_slots) {
        if (slot.icon == icon) return slot;
    }
    return k_status_icon_slots.front(); // every icon has a slot
}

StatusIcon ChooseStatusIcon() {
    if (on_mains()) {
        return GetBatteryValue(u"FullyCharged") == u"Yes" ? StatusIcon::charging
                                                          : StatusIcon::mains;
    }
    return icon_for_capacity(rt::TextToInteger(GetBatteryValue(u"CurrentCapacity")));
}

void SelectStatusIcon() {
    const int64_t image = rt::ImageHandle(status_icon_slot(ChooseStatusIcon()).image_number);
    if (!image || image == g_given_image) return;
    rt::SendNativeMessage(nullptr, g_status_item, u"setImage:", image);
    rt::SendNativeMessage(nullptr, image, u"setTemplate:", 1);
    g_given_image = image;
}

void set_status_item(int64_t item) {
    g_status_item = item;
    g_given_image = 0;
}

int64_t status_item() {
    return g_status_item;
}

} // namespace battery
