#include "platform/system/power_profile_watcher.h"

#include <gio/gio.h>

#include <cstring>

const std::array<PowerProfileWatcher::Service, 2> PowerProfileWatcher::k_services{{
    {"org.freedesktop.UPower.PowerProfiles", "/org/freedesktop/UPower/PowerProfiles",
     "org.freedesktop.UPower.PowerProfiles"},
    {"net.hadess.PowerProfiles", "/net/hadess/PowerProfiles", "net.hadess.PowerProfiles"},
}};

namespace {

constexpr const char* k_profile_property = "ActiveProfile";

PowerSaver state_of_profile(GVariant* profile) {
    if (!g_variant_is_of_type(profile, G_VARIANT_TYPE_STRING)) return PowerSaver::unknown;
    return std::strcmp(g_variant_get_string(profile, nullptr), "power-saver") == 0
               ? PowerSaver::on
               : PowerSaver::off;
}

bool lists_profile(GVariant* invalidated) {
    g_autofree const gchar** names = g_variant_get_strv(invalidated, nullptr);
    for (const gchar** name = names; name && *name; ++name) {
        if (std::strcmp(*name, k_profile_property) == 0) return true;
    }
    return false;
}

} // namespace

// One Get in flight, and the count of signals its watch had seen when it was asked.
struct PowerProfileWatcher::Request {
    Watch* watch;
    uint64_t changes;
};

PowerProfileWatcher::PowerProfileWatcher(GDBusConnection* bus)
    : m_bus(bus), m_cancellable(g_cancellable_new()) {
    for (size_t i = 0; i < m_watches.size(); ++i) {
        Watch& watch = m_watches[i];
        watch.owner = this;
        watch.service = &k_services[i];
        watch.subscription = g_dbus_connection_signal_subscribe(
            bus, watch.service->name, "org.freedesktop.DBus.Properties", "PropertiesChanged",
            watch.service->path, watch.service->interface, G_DBUS_SIGNAL_FLAGS_NONE,
            on_properties_changed, &watch, nullptr);
        watch.name_watch =
            g_bus_watch_name_on_connection(bus, watch.service->name, G_BUS_NAME_WATCHER_FLAGS_NONE,
                                           on_appeared, on_vanished, &watch, nullptr);
    }
}

// Replies still on their way are cancelled; their callbacks then leave the watcher alone.
PowerProfileWatcher::~PowerProfileWatcher() {
    g_cancellable_cancel(m_cancellable);
    g_object_unref(m_cancellable);
    for (Watch& watch : m_watches) {
        g_bus_unwatch_name(watch.name_watch);
        g_dbus_connection_signal_unsubscribe(m_bus, watch.subscription);
    }
    set_power_saver_state(PowerSaver::unknown);
}

void PowerProfileWatcher::on_appeared(GDBusConnection*, const char*, const char*, void* watch) {
    auto* appeared = static_cast<Watch*>(watch);
    appeared->owner->ask_profile(*appeared);
}

void PowerProfileWatcher::on_vanished(GDBusConnection*, const char*, void* watch) {
    auto* vanished = static_cast<Watch*>(watch);
    ++vanished->changes;
    vanished->owner->set_state(*vanished, PowerSaver::unknown);
}

void PowerProfileWatcher::ask_profile(Watch& watch) {
    g_dbus_connection_call(m_bus, watch.service->name, watch.service->path,
                           "org.freedesktop.DBus.Properties", "Get",
                           g_variant_new("(ss)", watch.service->interface, k_profile_property),
                           G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NONE, -1, m_cancellable,
                           on_profile_reply, new Request{&watch, watch.changes});
}

void PowerProfileWatcher::on_profile_reply(GObject* source, GAsyncResult* result, void* request) {
    const Request asked = *static_cast<Request*>(request);
    delete static_cast<Request*>(request);
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
    if (!reply) {
        // Cancelled: the watcher is gone. Otherwise the service went quiet; it stays unknown.
        g_error_free(error);
        return;
    }
    GVariant* profile = nullptr;
    g_variant_get(reply, "(v)", &profile);
    if (asked.changes == asked.watch->changes)
        asked.watch->owner->set_state(*asked.watch, state_of_profile(profile));
    g_variant_unref(profile);
    g_variant_unref(reply);
}

void PowerProfileWatcher::on_properties_changed(GDBusConnection*, const char*, const char*,
                                                const char*, const char*, GVariant* parameters,
                                                void* watch) {
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(sa{sv}as)"))) return;
    auto* changed = static_cast<Watch*>(watch);
    ++changed->changes;
    GVariant* properties = g_variant_get_child_value(parameters, 1);
    GVariant* invalidated = g_variant_get_child_value(parameters, 2);
    GVariant* profile = g_variant_lookup_value(properties, k_profile_property, nullptr);
    if (profile) {
        changed->owner->set_state(*changed, state_of_profile(profile));
        g_variant_unref(profile);
    } else if (lists_profile(invalidated)) {
        changed->owner->ask_profile(*changed);
    }
    g_variant_unref(invalidated);
    g_variant_unref(properties);
}

void PowerProfileWatcher::set_state(Watch& watch, PowerSaver state) {
    watch.state = state;
    publish();
}

void PowerProfileWatcher::publish() const {
    for (const Watch& watch : m_watches) {
        if (watch.state != PowerSaver::unknown) return set_power_saver_state(watch.state);
    }
    set_power_saver_state(PowerSaver::unknown);
}
