#include "privileged/bus_address.h"

namespace {

// The bus's id, or empty.
std::string bus_id(GDBusConnection* connection) {
    GVariant* reply = g_dbus_connection_call_sync(
        connection, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "GetId", nullptr, G_VARIANT_TYPE("(s)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    if (!reply) return {};
    const gchar* id = nullptr;
    g_variant_get(reply, "(&s)", &id);
    std::string text(id);
    g_variant_unref(reply);
    return text;
}

GDBusConnection* connect_at(const char* address, GError** error) {
    const auto flags =
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
    return g_dbus_connection_new_for_address_sync(address, flags, nullptr, nullptr, error);
}

// False when the system bus cannot be reached.
bool is_system_bus(GDBusConnection* connection) {
    GDBusConnection* system = connect_at(k_system_bus_address, nullptr);
    if (!system) return false;
    const std::string id = bus_id(system);
    g_object_unref(system);
    return !id.empty() && id == bus_id(connection);
}

} // namespace

GDBusConnection* connect_to_bus(const std::string& address, GError** error) {
    if (address.empty()) return connect_at(k_system_bus_address, error);
    GDBusConnection* connection = connect_at(address.c_str(), error);
    if (!connection || !is_system_bus(connection)) return connection;
    g_object_unref(connection);
    g_set_error(error, G_IO_ERROR, G_IO_ERROR_PERMISSION_DENIED,
                "%s is the system bus, not a private one", address.c_str());
    return nullptr;
}
