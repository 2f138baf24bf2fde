#include "privileged/serve.h"

#include "privileged/bus_address.h"
#include "privileged/bus_service.h"

#include <glib-unix.h>

#include <csignal>
#include <cstdio>

namespace {

struct Run {
    GMainLoop* loop;
    int status = 0;
};

void quit(Run& run, int status) {
    run.status = status;
    g_main_loop_quit(run.loop);
}

gboolean on_signal(gpointer data) {
    quit(*static_cast<Run*>(data), 0);
    return G_SOURCE_CONTINUE;
}

void on_name_lost(GDBusConnection*, const gchar* name, gpointer data) {
    std::fprintf(stderr, "the name %s is not ours (taken, or not allowed)\n", name);
    quit(*static_cast<Run*>(data), 1);
}

// After the name is given up the bus routes no more calls here; those it routed before are
// answered, and checks that wait for the authority are waited for.
void answer_the_last_calls(GDBusConnection* connection, const BusService& service) {
    // A round trip to the bus: every call routed here before it gave up the name has arrived.
    GVariant* reply = g_dbus_connection_call_sync(
        connection, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "GetId", nullptr, nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    if (reply) g_variant_unref(reply);
    for (;;) {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        if (!service.waiting()) break;
        g_main_context_iteration(nullptr, TRUE);
    }
    g_dbus_connection_flush_sync(connection, nullptr, nullptr);
}

// Serves on `connection` until idle, a signal, or the name is lost; the exit status.
int serve_on(GDBusConnection* connection, const Options& options) {
    Run run{g_main_loop_new(nullptr, FALSE)};
    ChargeLimit limit(options.paths);
    // A service that ended while charging once (or a crash) left the limit lifted.
    (void)limit.reapply();
    BusService service(connection, limit, {options.idle_seconds, options.poll_seconds},
                       [&run] { quit(run, 0); });
    if (!service.start()) return 1;
    const guint name =
        g_bus_own_name_on_connection(connection, k_service_name, G_BUS_NAME_OWNER_FLAGS_NONE,
                                     nullptr, &on_name_lost, &run, nullptr);
    const guint terminate = g_unix_signal_add(SIGTERM, &on_signal, &run);
    const guint interrupt = g_unix_signal_add(SIGINT, &on_signal, &run);
    g_main_loop_run(run.loop);
    g_source_remove(terminate);
    g_source_remove(interrupt);
    g_bus_unown_name(name);
    answer_the_last_calls(connection, service);
    g_main_loop_unref(run.loop);
    return run.status;
}

} // namespace

int serve(const Options& options) {
    GError* error = nullptr;
    GDBusConnection* connection = connect_to_bus(options.bus, &error);
    if (!connection) {
        std::fprintf(stderr, "no bus: %s\n", error->message);
        g_error_free(error);
        return 1;
    }
    const int status = serve_on(connection, options);
    g_object_unref(connection);
    return status;
}

int apply_once(const Options& options) {
    GDBusConnection* connection = connect_to_bus(options.bus, nullptr);
    if (connection) {
        // The running service knows whether the battery charges fully once.
        GError* error = nullptr;
        GVariant* reply = g_dbus_connection_call_sync(
            connection, k_service_name, k_object_path, k_service_name, "Reapply", nullptr, nullptr,
            G_DBUS_CALL_FLAGS_NO_AUTO_START, 10000, nullptr, &error);
        g_object_unref(connection);
        if (reply) {
            g_variant_unref(reply);
            return 0;
        }
        const bool not_running =
            g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN) ||
            g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER);
        if (!not_running) std::fprintf(stderr, "the service refused: %s\n", error->message);
        g_error_free(error);
        if (!not_running) return 1;
    }
    return ChargeLimit(options.paths).reapply() == Outcome::Done ? 0 : 1;
}
