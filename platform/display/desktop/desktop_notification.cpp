#include "platform/display/desktop/desktop_notification.h"

#include <gio/gio.h>

namespace {

constexpr const char* k_service = "org.freedesktop.Notifications";
constexpr const char* k_path = "/org/freedesktop/Notifications";
constexpr int k_expire_by_server = -1;

} // namespace

void show_desktop_notification(GDBusConnection* bus, const ProgramIdentity& program,
                               const std::string& body) {
    GVariant* parameters =
        g_variant_new("(susssasa{sv}i)", program.name.c_str(), 0u, program.identifier.c_str(),
                      program.name.c_str(), body.c_str(), nullptr, nullptr, k_expire_by_server);
    g_dbus_connection_call(bus, k_service, k_path, k_service, "Notify", parameters, nullptr,
                           G_DBUS_CALL_FLAGS_NO_AUTO_START, -1, nullptr, nullptr, nullptr);
}
