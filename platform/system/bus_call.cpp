#include "platform/system/bus_call.h"

#include <gio/gio.h>

namespace {

// Long enough for a person to type a password into polkit's dialog.
constexpr int k_call_timeout_ms = 5 * 60 * 1000;

bool ends_with(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

ChargeLimitOutcome outcome_of_error_name(const std::string& name) {
    if (ends_with(name, ".NotAuthorized") || ends_with(name, ".PermissionDenied") ||
        name == "org.freedesktop.DBus.Error.AccessDenied")
        return ChargeLimitOutcome::refused;
    if (ends_with(name, ".NotSupported")) return ChargeLimitOutcome::not_supported;
    if (name == "org.freedesktop.DBus.Error.ServiceUnknown" ||
        name.starts_with("org.freedesktop.DBus.Error.Spawn"))
        return ChargeLimitOutcome::not_installed;
    return ChargeLimitOutcome::failed;
}

GVariant* BusCall::call(const char* name, const char* path, const char* interface,
                        const char* method, GVariant* parameters, const GVariantType* reply_type) {
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(
        bus, name, path, interface, method, parameters, reply_type,
        G_DBUS_CALL_FLAGS_ALLOW_INTERACTIVE_AUTHORIZATION, k_call_timeout_ms, cancellable, &error);
    if (reply) return reply;
    g_autofree gchar* remote = g_dbus_error_get_remote_error(error);
    g_dbus_error_strip_remote_error(error);
    failure = {outcome_of_error_name(remote ? remote : ""), error->message};
    g_error_free(error);
    return nullptr;
}
