#include "platform/system/system_bus.h"

#include "platform/foundation/problem_report.h"
#include "platform/system/power_profile_watcher.h"
#include "platform/system/sleep_watcher.h"

#include <gio/gio.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

constexpr std::chrono::seconds k_connect_patience{1};

} // namespace

// The system bus's thread. Its duties: connect, run the watchers in its own main context until
// told to quit, and hand on what they learn without touching the model: sleep and wake through
// the notice sink (which queues them for the main thread), the power profile as an atomic value.
// It reads no clock and never calls the display; made after the display's scope is installed and
// joined before it ends (display_slot.h).
class SystemBus::Thread {
  public:
    // Waits a moment for the connection, so that a line about a missing bus comes before the
    // display draws; a slow bus is not waited for longer.
    Thread(SleepNoticeSink notices, std::string who)
        : m_notices(std::move(notices)), m_who(std::move(who)), m_context(g_main_context_new()),
          m_loop(g_main_loop_new(m_context, FALSE)) {
        m_thread = std::thread([this] { run(); });
        std::unique_lock lock(m_mutex);
        m_settled_change.wait_for(lock, k_connect_patience, [this] { return m_settled; });
    }
    ~Thread() {
        g_main_context_invoke(m_context, quit, m_loop);
        m_thread.join();
        g_main_loop_unref(m_loop);
        g_main_context_unref(m_context);
    }
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

  private:
    static gboolean quit(gpointer loop) {
        g_main_loop_quit(static_cast<GMainLoop*>(loop));
        return G_SOURCE_REMOVE;
    }
    static GDBusConnection* connect();
    void run();
    void watch(GDBusConnection* bus);
    void settle();

    const SleepNoticeSink m_notices;
    const std::string m_who;
    GMainContext* m_context;
    GMainLoop* m_loop;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_settled_change;
    bool m_settled = false; // the connection was made or refused
};

// A connection of our own rather than the shared one, so that its signals come to this
// thread's context.
GDBusConnection* SystemBus::Thread::connect() {
    GError* error = nullptr;
    gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SYSTEM, nullptr, &error);
    GDBusConnection* bus = nullptr;
    if (address) {
        bus = g_dbus_connection_new_for_address_sync(
            address,
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &error);
        g_free(address);
    }
    if (!bus) {
        say_problem({"no system bus, so no sleep notices: ", error->message});
        g_error_free(error);
    }
    return bus;
}

void SystemBus::Thread::run() {
    g_main_context_push_thread_default(m_context);
    GDBusConnection* bus = connect();
    settle();
    if (bus) {
        watch(bus);
        g_dbus_connection_close_sync(bus, nullptr, nullptr);
        g_object_unref(bus);
    } else {
        g_main_loop_run(m_loop); // until quit, as with a bus
    }
    // Callbacks of cancelled calls still come; they find their cancellation and do nothing.
    while (g_main_context_iteration(m_context, FALSE)) {
    }
    g_main_context_pop_thread_default(m_context);
}

void SystemBus::Thread::settle() {
    {
        std::lock_guard lock(m_mutex);
        m_settled = true;
    }
    m_settled_change.notify_all();
}

void SystemBus::Thread::watch(GDBusConnection* bus) {
    SleepWatcher sleep(bus, m_notices, m_who);
    PowerProfileWatcher profile(bus);
    g_main_loop_run(m_loop);
}

SystemBus::SystemBus(SleepNoticeSink notices, std::string who)
    : m_thread(std::make_unique<Thread>(std::move(notices), std::move(who))) {}

SystemBus::~SystemBus() = default;

std::unique_ptr<SystemBus> SystemBus::start(SleepNoticeSink notices, std::string who) {
    return std::unique_ptr<SystemBus>(new SystemBus(std::move(notices), std::move(who)));
}
