#include "platform/display/desktop/appearance_portal.h"

#include <cstring>

namespace {

constexpr const char* k_portal_name = "org.freedesktop.portal.Desktop";
constexpr const char* k_portal_path = "/org/freedesktop/portal/desktop";
constexpr const char* k_settings_interface = "org.freedesktop.portal.Settings";
constexpr const char* k_namespace = "org.freedesktop.appearance";
constexpr const char* k_key = "color-scheme";
// A portal that is started on demand answers within this; a missing one fails at once.
constexpr int k_call_timeout_ms = 1000;

// Unwraps the variants around a value (Read wraps it twice, ReadOne once).
std::optional<uint32_t> scheme_in(GVariant* value) {
    GVariant* inner = g_variant_ref(value);
    while (g_variant_is_of_type(inner, G_VARIANT_TYPE_VARIANT)) {
        GVariant* next = g_variant_get_variant(inner);
        g_variant_unref(inner);
        inner = next;
    }
    std::optional<uint32_t> scheme;
    if (g_variant_is_of_type(inner, G_VARIANT_TYPE_UINT32)) scheme = g_variant_get_uint32(inner);
    g_variant_unref(inner);
    return scheme;
}

std::optional<uint32_t> call_read(GDBusConnection* bus, const char* method) {
    GVariant* reply = g_dbus_connection_call_sync(
        bus, k_portal_name, k_portal_path, k_settings_interface, method,
        g_variant_new("(ss)", k_namespace, k_key), G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NONE,
        k_call_timeout_ms, nullptr, nullptr);
    if (!reply) return std::nullopt;
    GVariant* value = g_variant_get_child_value(reply, 0);
    std::optional<uint32_t> scheme = scheme_in(value);
    g_variant_unref(value);
    g_variant_unref(reply);
    return scheme;
}

} // namespace

AppearancePortal::AppearancePortal(GDBusConnection* bus, Changed changed)
    : m_bus(bus), m_changed(std::move(changed)) {
    m_subscription = g_dbus_connection_signal_subscribe(
        m_bus, k_portal_name, k_settings_interface, "SettingChanged", k_portal_path, k_namespace,
        G_DBUS_SIGNAL_FLAGS_NONE, on_setting_changed, this, nullptr);
}

AppearancePortal::~AppearancePortal() {
    g_dbus_connection_signal_unsubscribe(m_bus, m_subscription);
}

std::optional<uint32_t> AppearancePortal::read_color_scheme() const {
    if (auto scheme = call_read(m_bus, "ReadOne")) return scheme;
    return call_read(m_bus, "Read"); // portals before version 2
}

void AppearancePortal::on_setting_changed(GDBusConnection*, const char*, const char*, const char*,
                                          const char*, GVariant* parameters, gpointer self) {
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(ssv)"))) return;
    const char* setting_namespace = nullptr;
    const char* key = nullptr;
    GVariant* value = nullptr;
    g_variant_get(parameters, "(&s&sv)", &setting_namespace, &key, &value);
    std::optional<uint32_t> scheme;
    if (std::strcmp(setting_namespace, k_namespace) == 0 && std::strcmp(key, k_key) == 0)
        scheme = scheme_in(value);
    g_variant_unref(value);
    if (scheme) static_cast<AppearancePortal*>(self)->m_changed(*scheme);
}
