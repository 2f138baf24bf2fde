#include "privileged/bus_service.h"

#include "privileged/limit_rule.h"

#include <cstdio>
#include <utility>

namespace {

constexpr const char* k_interface = "org.zerarazi.ChargeLimit1";

constexpr const char* k_introspection = R"(<node>
  <interface name="org.zerarazi.ChargeLimit1">
    <method name="GetState">
      <arg name="limit" type="u" direction="out"/>
      <arg name="batteries" type="as" direction="out"/>
      <arg name="charging_once" type="b" direction="out"/>
    </method>
    <method name="SetLimit">
      <arg name="percent" type="u" direction="in"/>
    </method>
    <method name="ChargeFullyOnce"/>
    <method name="Reapply"/>
    <property name="Limit" type="u" access="read"/>
    <property name="Batteries" type="as" access="read"/>
    <property name="ChargingOnce" type="b" access="read"/>
  </interface>
</node>)";

GDBusInterfaceInfo* interface_info() {
    static GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(k_introspection, nullptr);
    return node->interfaces[0];
}

GVariant* strings(const std::vector<std::string>& texts) {
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE("as"));
    for (const std::string& text : texts)
        g_variant_builder_add(&builder, "s", text.c_str());
    return g_variant_builder_end(&builder);
}

} // namespace

BusService::BusService(GDBusConnection* connection, ChargeLimit& limit, ServiceTimes times,
                       std::function<void()> exit)
    : m_connection(connection), m_limit(limit), m_times(times),
      m_authority(connection, AuthorityLimits{}),
      m_idle(
          times.idle_seconds,
          [this] { return m_limit.charging_once() || m_authority.waiting() > 0; },
          std::move(exit)) {}

BusService::~BusService() {
    if (m_poll_source) g_source_remove(m_poll_source);
    if (m_sleep_subscription)
        g_dbus_connection_signal_unsubscribe(m_connection, m_sleep_subscription);
    if (m_registration) g_dbus_connection_unregister_object(m_connection, m_registration);
}

bool BusService::start() {
    static const GDBusInterfaceVTable vtable = {
        &BusService::method_call, &BusService::get_property, nullptr, {}};
    GError* error = nullptr;
    m_registration = g_dbus_connection_register_object(
        m_connection, k_object_path, interface_info(), &vtable, this, nullptr, &error);
    if (!m_registration) {
        std::fprintf(stderr, "the object could not be put on the bus: %s\n", error->message);
        g_error_free(error);
        return false;
    }
    m_sleep_subscription = g_dbus_connection_signal_subscribe(
        m_connection, "org.freedesktop.login1", "org.freedesktop.login1.Manager", "PrepareForSleep",
        "/org/freedesktop/login1", nullptr, G_DBUS_SIGNAL_FLAGS_NONE, &BusService::woke, this,
        nullptr);
    m_published = {m_limit.limit(), m_limit.batteries(), m_limit.charging_once()};
    return true;
}

void BusService::method_call(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                             const gchar* method, GVariant* parameters,
                             GDBusMethodInvocation* invocation, gpointer data) {
    static_cast<BusService*>(data)->call(method, parameters, invocation);
}

void BusService::call(const std::string& method, GVariant* parameters,
                      GDBusMethodInvocation* invocation) {
    m_idle.touch();
    if (method == "GetState") {
        g_dbus_method_invocation_return_value(
            invocation, g_variant_new("(u@asb)", m_limit.limit(), strings(m_limit.batteries()),
                                      m_limit.charging_once()));
    } else if (method == "SetLimit") {
        std::uint32_t percent = 0;
        g_variant_get(parameters, "(u)", &percent);
        // Nonsense is refused before anyone is asked for a password.
        if (!is_valid_limit(percent)) return reply(invocation, Outcome::InvalidLimit);
        authorised(invocation, [this, percent] { return m_limit.set_limit(percent); });
    } else if (method == "ChargeFullyOnce") {
        authorised(invocation, [this] { return m_limit.charge_fully_once(); });
    } else if (method == "Reapply") {
        reply(invocation, m_limit.reapply());
    }
}

void BusService::authorised(GDBusMethodInvocation* invocation, std::function<Outcome()> request) {
    const std::string caller = g_dbus_method_invocation_get_sender(invocation);
    m_authority.check(caller, [this, invocation, request = std::move(request)](Outcome outcome) {
        if (outcome == Outcome::Done) outcome = request();
        reply(invocation, outcome);
    });
}

void BusService::reply(GDBusMethodInvocation* invocation, Outcome outcome) {
    if (const OutcomeError* error = outcome_error(outcome)) {
        g_dbus_method_invocation_return_dbus_error(invocation, error->name, error->message);
    } else {
        g_dbus_method_invocation_return_value(invocation, nullptr);
    }
    publish();
    watch_charging_once();
}

GVariant* BusService::get_property(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                   const gchar* property, GError**, gpointer data) {
    auto* service = static_cast<BusService*>(data);
    service->m_idle.touch();
    const std::string name = property;
    if (name == "Limit") return g_variant_new_uint32(service->m_limit.limit());
    if (name == "Batteries") return strings(service->m_limit.batteries());
    return g_variant_new_boolean(service->m_limit.charging_once());
}

void BusService::publish() {
    const Published now{m_limit.limit(), m_limit.batteries(), m_limit.charging_once()};
    GVariantBuilder changed;
    g_variant_builder_init(&changed, G_VARIANT_TYPE("a{sv}"));
    if (now.limit != m_published.limit) {
        g_variant_builder_add(&changed, "{sv}", "Limit", g_variant_new_uint32(now.limit));
    }
    if (now.batteries != m_published.batteries) {
        g_variant_builder_add(&changed, "{sv}", "Batteries", strings(now.batteries));
    }
    if (now.charging_once != m_published.charging_once) {
        g_variant_builder_add(&changed, "{sv}", "ChargingOnce",
                              g_variant_new_boolean(now.charging_once));
    }
    m_published = now;
    GVariant* properties = g_variant_builder_end(&changed);
    if (g_variant_n_children(properties) == 0)
        return g_variant_unref(g_variant_ref_sink(properties));
    g_dbus_connection_emit_signal(m_connection, nullptr, k_object_path,
                                  "org.freedesktop.DBus.Properties", "PropertiesChanged",
                                  g_variant_new("(s@a{sv}as)", k_interface, properties, nullptr),
                                  nullptr);
}

void BusService::woke(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                      GVariant* parameters, gpointer data) {
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(b)"))) return;
    gboolean going_to_sleep = TRUE;
    g_variant_get(parameters, "(b)", &going_to_sleep);
    if (going_to_sleep) return;
    auto* service = static_cast<BusService*>(data);
    // The embedded controller of many machines forgets the thresholds while asleep.
    (void)service->m_limit.reapply();
    service->publish();
}

void BusService::watch_charging_once() {
    if (!m_limit.charging_once() || m_poll_source) return;
    const auto every_ms = static_cast<guint>(m_times.poll_seconds * 1000);
    m_poll_source = g_timeout_add(every_ms, &BusService::poll, this);
}

gboolean BusService::poll(gpointer data) {
    auto* service = static_cast<BusService*>(data);
    if (service->m_limit.check_charging_once()) service->publish();
    if (service->m_limit.charging_once()) return G_SOURCE_CONTINUE;
    service->m_poll_source = 0;
    return G_SOURCE_REMOVE;
}
