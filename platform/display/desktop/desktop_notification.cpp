#include "platform/display/desktop/desktop_notification.h"

#include <gio/gio.h>

namespace {

constexpr const char* k_service = "org.freedesktop.Notifications";
constexpr const char* k_path = "/org/freedesktop/Notifications";
constexpr int k_expire_by_server = -1;
constexpr guchar k_urgency_critical = 2;
constexpr int k_name_query_timeout_ms = 500;

constexpr const char* k_power_managers[] = {
    "org.gnome.SettingsDaemon.Power",
    "org.kde.Solid.PowerManagement",
    "org.xfce.PowerManager",
};

void keep_notification_id(GObject* bus, GAsyncResult* result, gpointer data) {
    std::unique_ptr<NotificationId> last(static_cast<NotificationId*>(data));
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(bus), result, nullptr);
    if (!reply) return;
    guint32 id = 0;
    g_variant_get(reply, "(u)", &id);
    **last = id;
    g_variant_unref(reply);
}

bool name_has_owner(GDBusConnection* bus, const char* name) {
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "NameHasOwner", g_variant_new("(s)", name), G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE,
        k_name_query_timeout_ms, nullptr, nullptr);
    if (!reply) return false;
    gboolean owned = FALSE;
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
    return owned;
}

} // namespace

void show_desktop_notification(GDBusConnection* bus, const ProgramIdentity& program,
                               const std::string& body) {
    GVariant* parameters =
        g_variant_new("(susssasa{sv}i)", program.name.c_str(), 0u, program.identifier.c_str(),
                      program.name.c_str(), body.c_str(), nullptr, nullptr, k_expire_by_server);
    g_dbus_connection_call(bus, k_service, k_path, k_service, "Notify", parameters, nullptr,
                           G_DBUS_CALL_FLAGS_NO_AUTO_START, -1, nullptr, nullptr, nullptr);
}

void replace_desktop_notification(GDBusConnection* bus, const ProgramIdentity& program,
                                  const std::string& title, const std::string& body, bool urgent,
                                  const NotificationId& last) {
    GVariantBuilder hints;
    g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
    if (urgent)
        g_variant_builder_add(&hints, "{sv}", "urgency", g_variant_new_byte(k_urgency_critical));
    GVariant* parameters =
        g_variant_new("(susssasa{sv}i)", program.name.c_str(), *last, program.identifier.c_str(),
                      title.c_str(), body.c_str(), nullptr, &hints, k_expire_by_server);
    g_dbus_connection_call(bus, k_service, k_path, k_service, "Notify", parameters,
                           G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NO_AUTO_START, -1, nullptr,
                           keep_notification_id, new NotificationId(last));
}

bool desktop_power_manager_running(GDBusConnection* bus) {
    for (const char* name : k_power_managers)
        if (name_has_owner(bus, name)) return true;
    return false;
}
