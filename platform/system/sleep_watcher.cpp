#include "platform/system/sleep_watcher.h"

#include "platform/foundation/problem_report.h"

#include <gio/gio.h>
#include <gio/gunixfdlist.h>

#include <memory>
#include <unistd.h>
#include <utility>

namespace {

constexpr const char* k_login_name = "org.freedesktop.login1";
constexpr const char* k_login_path = "/org/freedesktop/login1";
constexpr const char* k_login_interface = "org.freedesktop.login1.Manager";

// A delay lock's descriptor handed on with a sleep notice: closed once the notice is delivered, or
// when it is dropped undelivered.
class HeldLock {
  public:
    explicit HeldLock(int fd) : m_fd(fd) {}
    ~HeldLock() { release(); }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;
    void release() {
        if (m_fd >= 0) ::close(std::exchange(m_fd, -1));
    }

  private:
    int m_fd;
};

bool is_missing_service(const GError* error) {
    return g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN) ||
           g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER);
}

// The descriptor the reply carries, owned by the caller; -1 with `error` set when there is none.
int inhibitor_of_reply(GDBusConnection* bus, GAsyncResult* result, GError** error) {
    GUnixFDList* fds = nullptr;
    GVariant* reply = g_dbus_connection_call_with_unix_fd_list_finish(bus, &fds, result, error);
    if (!reply) return -1;
    gint32 index = -1;
    g_variant_get(reply, "(h)", &index);
    g_variant_unref(reply);
    int fd = -1;
    if (fds) {
        fd = g_unix_fd_list_get(fds, index, error);
        g_object_unref(fds);
    } else {
        g_set_error_literal(error, G_IO_ERROR, G_IO_ERROR_FAILED, "the reply carries no lock");
    }
    return fd;
}

} // namespace

SleepWatcher::SleepWatcher(GDBusConnection* bus, SleepNoticeSink notices, std::string who)
    : m_bus(bus), m_notices(std::move(notices)), m_who(std::move(who)),
      m_cancellable(g_cancellable_new()) {
    m_subscription = g_dbus_connection_signal_subscribe(
        bus, k_login_name, k_login_interface, "PrepareForSleep", k_login_path, nullptr,
        G_DBUS_SIGNAL_FLAGS_NONE, on_prepare_for_sleep, this, nullptr);
    request_inhibitor();
}

// A reply still on its way is cancelled; its callback then sees the cancellation and leaves the
// watcher alone.
SleepWatcher::~SleepWatcher() {
    g_cancellable_cancel(m_cancellable);
    g_object_unref(m_cancellable);
    if (m_subscription) g_dbus_connection_signal_unsubscribe(m_bus, m_subscription);
    if (m_inhibitor >= 0) ::close(m_inhibitor);
}

void SleepWatcher::request_inhibitor() {
    g_dbus_connection_call_with_unix_fd_list(
        m_bus, k_login_name, k_login_path, k_login_interface, "Inhibit",
        g_variant_new("(ssss)", "sleep", m_who.c_str(), "Stop the battery refresh before sleeping",
                      "delay"),
        G_VARIANT_TYPE("(h)"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr, m_cancellable, on_inhibit_reply,
        this);
}

void SleepWatcher::on_inhibit_reply(GObject* source, GAsyncResult* result, void* self) {
    GError* error = nullptr;
    int fd = inhibitor_of_reply(G_DBUS_CONNECTION(source), result, &error);
    if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
        g_error_free(error);
        return;
    }
    auto* watcher = static_cast<SleepWatcher*>(self);
    if (fd >= 0) watcher->keep_inhibitor(fd);
    if (error) watcher->inhibitor_refused(error);
    g_clear_error(&error);
}

// A lock that arrives while one is held (a wake right after a wake) is one too many.
void SleepWatcher::keep_inhibitor(int fd) {
    if (m_inhibitor >= 0) {
        ::close(fd);
        return;
    }
    m_inhibitor = fd;
}

// Without logind no notice can come, so the subscription goes too. Sleep notices still come
// when logind is there but refuses the lock; the machine then does not wait for them.
void SleepWatcher::inhibitor_refused(const GError* error) {
    if (!std::exchange(m_refusal_told, true))
        say_problem({"no sleep notices from logind: ", error->message});
    if (!is_missing_service(error) || !m_subscription) return;
    g_dbus_connection_signal_unsubscribe(m_bus, std::exchange(m_subscription, 0));
}

void SleepWatcher::on_prepare_for_sleep(GDBusConnection*, const char*, const char*, const char*,
                                        const char*, GVariant* parameters, void* self) {
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(b)"))) return;
    gboolean sleeping = FALSE;
    g_variant_get(parameters, "(b)", &sleeping);
    auto* watcher = static_cast<SleepWatcher*>(self);
    if (sleeping) {
        watcher->will_sleep();
    } else {
        watcher->did_wake();
    }
}

// The lock goes with the notice: it is let go only after the notice has been delivered, and a
// later wake cannot have it closed in its place.
void SleepWatcher::will_sleep() {
    auto lock = std::make_shared<HeldLock>(std::exchange(m_inhibitor, -1));
    m_notices(SystemSleep{}, [lock] { lock->release(); });
}

void SleepWatcher::did_wake() {
    m_notices(SystemWake{}, [] {});
    if (m_inhibitor < 0) request_inhibitor();
}
