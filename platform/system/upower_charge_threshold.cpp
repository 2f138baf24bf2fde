#include "platform/system/upower_charge_threshold.h"

#include "platform/system/bus_call.h"

#include <gio/gio.h>

#include <string>
#include <vector>

namespace {

constexpr const char* k_name = "org.freedesktop.UPower";
constexpr const char* k_device = "org.freedesktop.UPower.Device";
constexpr guint32 k_battery_type = 2;

struct ThresholdBattery {
    std::string path;
    bool enabled = false;
    guint32 end = 100;
};

template <class T>
T property_or(GVariant* properties, const char* key, const char* type, T otherwise) {
    T value = otherwise;
    g_variant_lookup(properties, key, type, &value);
    return value;
}

// The batteries of the machine (not a peripheral's) that offer a threshold.
std::vector<ThresholdBattery> threshold_batteries(BusCall& bus) {
    std::vector<ThresholdBattery> batteries;
    GVariant* devices = bus.call(k_name, "/org/freedesktop/UPower", k_name, "EnumerateDevices",
                                 nullptr, G_VARIANT_TYPE("(ao)"));
    if (!devices) return batteries;
    g_autoptr(GVariantIter) paths = nullptr;
    g_variant_get(devices, "(ao)", &paths);
    const char* path = nullptr;
    while (g_variant_iter_next(paths, "&o", &path)) {
        GVariant* all = bus.call(k_name, path, "org.freedesktop.DBus.Properties", "GetAll",
                                 g_variant_new("(s)", k_device), G_VARIANT_TYPE("(a{sv})"));
        if (!all) continue;
        GVariant* properties = g_variant_get_child_value(all, 0);
        if (property_or<guint32>(properties, "Type", "u", 0) == k_battery_type &&
            property_or<gboolean>(properties, "PowerSupply", "b", FALSE) &&
            property_or<gboolean>(properties, "ChargeThresholdSupported", "b", FALSE)) {
            batteries.push_back(
                {path,
                 property_or<gboolean>(properties, "ChargeThresholdEnabled", "b", FALSE) != FALSE,
                 property_or<guint32>(properties, "ChargeEndThreshold", "u", 100)});
        }
        g_variant_unref(properties);
        g_variant_unref(all);
    }
    g_variant_unref(devices);
    return batteries;
}

bool enable_thresholds(BusCall& bus, std::vector<ThresholdBattery>& batteries, bool enable) {
    for (ThresholdBattery& battery : batteries) {
        GVariant* done = bus.call(k_name, battery.path.c_str(), k_device, "EnableChargeThreshold",
                                  g_variant_new("(b)", enable), G_VARIANT_TYPE_UNIT);
        if (!done) return false;
        g_variant_unref(done);
        battery.enabled = enable;
    }
    return true;
}

bool carry_out(BusCall& bus, const ChargeLimitRequest& request,
               std::vector<ThresholdBattery>& batteries, bool& charging_once) {
    switch (request.ask) {
    case ChargeLimitAsk::state:
        return true;
    case ChargeLimitAsk::set_limit:
        if (!enable_thresholds(bus, batteries, request.percent < 100)) return false;
        charging_once = false;
        return true;
    case ChargeLimitAsk::charge_fully_once:
        if (!enable_thresholds(bus, batteries, false)) return false;
        charging_once = true;
        return true;
    }
    return false;
}

} // namespace

bool answer_through_upower(BusCall& bus, const ChargeLimitRequest& request,
                           ChargeLimitAnswer& answer, bool& charging_once) {
    std::vector<ThresholdBattery> batteries = threshold_batteries(bus);
    if (batteries.empty()) return false;
    answer.system_thresholds = true;
    if (!carry_out(bus, request, batteries, charging_once)) {
        answer.outcome = bus.failure.outcome;
        answer.message = bus.failure.message;
        return true;
    }
    const ThresholdBattery& first = batteries.front();
    answer.outcome = ChargeLimitOutcome::done;
    answer.charging_once = charging_once && !first.enabled;
    // While charging once the limit is the one that comes back afterwards.
    answer.system_limit = static_cast<int>(first.end);
    answer.limit = first.enabled || answer.charging_once ? answer.system_limit : 100;
    return true;
}
