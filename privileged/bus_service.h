#pragma once
// The object /org/zerarazi/ChargeLimit1 on the bus: its methods, its properties and their
// PropertiesChanged signal, and the state applied again when logind says the machine woke.
//
//   GetState() -> (u limit, as batteries, b charging_once)   anyone
//   SetLimit(u percent)                                       authorised
//   ChargeFullyOnce()                                         authorised
//   Reapply()                                                 anyone: applies what is stored
//
// Properties, read-only: Limit (u), Batteries (as), ChargingOnce (b). A request that is refused
// gets an error named in outcome.h.

#include "privileged/authority.h"
#include "privileged/charge_limit.h"
#include "privileged/idle_exit.h"

#include <gio/gio.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

constexpr const char* k_service_name = "org.zerarazi.ChargeLimit1";
constexpr const char* k_object_path = "/org/zerarazi/ChargeLimit1";

struct ServiceTimes {
    double idle_seconds;
    double poll_seconds;
};

class BusService {
  public:
    BusService(GDBusConnection* connection, ChargeLimit& limit, ServiceTimes times,
               std::function<void()> exit);
    BusService(const BusService&) = delete;
    BusService& operator=(const BusService&) = delete;
    ~BusService();

    // Puts the object on the bus; false when it could not.
    bool start();
    // Checks still waiting for the authority.
    std::size_t waiting() const { return m_authority.waiting(); }

  private:
    struct Published {
        std::uint32_t limit = 0;
        std::vector<std::string> batteries;
        bool charging_once = false;
    };

    static void method_call(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                            const gchar* method, GVariant* parameters,
                            GDBusMethodInvocation* invocation, gpointer data);
    static GVariant* get_property(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                  const gchar* property, GError**, gpointer data);
    static void woke(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                     GVariant* parameters, gpointer data);
    static gboolean poll(gpointer data);

    void call(const std::string& method, GVariant* parameters, GDBusMethodInvocation* invocation);
    void authorised(GDBusMethodInvocation* invocation, std::function<Outcome()> request);
    void reply(GDBusMethodInvocation* invocation, Outcome outcome);
    void publish();
    void watch_charging_once();

    GDBusConnection* m_connection;
    ChargeLimit& m_limit;
    ServiceTimes m_times;
    Authority m_authority;
    IdleExit m_idle;
    Published m_published;
    guint m_registration = 0;
    guint m_sleep_subscription = 0;
    guint m_poll_source = 0;
};
