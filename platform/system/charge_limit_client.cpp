#include "platform/system/charge_limit_client.h"

#include <gio/gio.h>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

namespace {

constexpr const char* k_name = "org.zerarazi.ChargeLimit1";
constexpr const char* k_path = "/org/zerarazi/ChargeLimit1";
constexpr const char* k_interface = "org.zerarazi.ChargeLimit1";
constexpr const char* k_error_prefix = "org.zerarazi.ChargeLimit1.Error.";
// Long enough for a person to type a password into polkit's dialog.
constexpr int k_call_timeout_ms = 5 * 60 * 1000;

struct Outcome {
    ChargeLimitOutcome outcome;
    std::string message;
};

bool starts_with(const char* text, const char* prefix) {
    return text && std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// The outcome of a call that failed with `error`.
Outcome outcome_of(GError* error) {
    g_autofree gchar* remote = g_dbus_error_get_remote_error(error);
    g_dbus_error_strip_remote_error(error);
    const std::string message = error->message;
    const std::string name = remote ? remote : "";
    if (name == std::string(k_error_prefix) + "NotAuthorized" ||
        name == "org.freedesktop.DBus.Error.AccessDenied")
        return {ChargeLimitOutcome::refused, message};
    if (name == std::string(k_error_prefix) + "NotSupported")
        return {ChargeLimitOutcome::not_supported, message};
    if (name == "org.freedesktop.DBus.Error.ServiceUnknown" ||
        starts_with(remote, "org.freedesktop.DBus.Error.Spawn"))
        return {ChargeLimitOutcome::not_installed, message};
    return {ChargeLimitOutcome::failed, message};
}

const char* method_of(ChargeLimitAsk ask) {
    switch (ask) {
    case ChargeLimitAsk::set_limit:
        return "SetLimit";
    case ChargeLimitAsk::charge_fully_once:
        return "ChargeFullyOnce";
    case ChargeLimitAsk::state:
        break;
    }
    return "GetState";
}

} // namespace

// The client's thread. Its duties: connect to the system bus at its first request, then send
// each request in turn and hand the answer to the sink; it blocks in a call while polkit asks
// a person, and nothing else waits for it. It touches no model, display or clock.
class ChargeLimitClient::Thread {
  public:
    explicit Thread(ChargeLimitAnswerSink& answers)
        : m_answers(answers), m_cancellable(g_cancellable_new()), m_thread([this] { run(); }) {}
    ~Thread() {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        g_cancellable_cancel(m_cancellable);
        m_change.notify_all();
        m_thread.join();
        if (m_bus) g_object_unref(m_bus);
        g_object_unref(m_cancellable);
    }
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    void post(const ChargeLimitRequest& request) {
        {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(request);
        }
        m_change.notify_all();
    }

  private:
    void run() {
        while (std::optional<ChargeLimitRequest> request = next()) {
            ChargeLimitAnswer answer = answer_to(*request);
            if (!g_cancellable_is_cancelled(m_cancellable)) m_answers(answer);
        }
    }

    std::optional<ChargeLimitRequest> next() {
        std::unique_lock lock(m_mutex);
        m_change.wait(lock, [this] { return m_stopping || !m_requests.empty(); });
        if (m_stopping) return std::nullopt;
        ChargeLimitRequest request = m_requests.front();
        m_requests.pop_front();
        return request;
    }

    ChargeLimitAnswer answer_to(const ChargeLimitRequest& request) {
        ChargeLimitAnswer answer;
        answer.ask = request.ask;
        if (!connected(answer)) return answer;
        if (request.ask != ChargeLimitAsk::state) {
            GVariant* parameters = request.ask == ChargeLimitAsk::set_limit
                                       ? g_variant_new("(u)", static_cast<guint32>(request.percent))
                                       : nullptr;
            GVariant* done = call(method_of(request.ask), parameters, G_VARIANT_TYPE_UNIT, answer);
            if (!done) return answer;
            g_variant_unref(done);
        }
        GVariant* state = call("GetState", nullptr, G_VARIANT_TYPE("(uasb)"), answer);
        if (!state) return answer;
        guint32 limit = 100;
        gboolean once = FALSE;
        g_variant_get(state, "(u@asb)", &limit, nullptr, &once);
        g_variant_unref(state);
        answer.outcome = ChargeLimitOutcome::done;
        answer.limit = static_cast<int>(limit);
        answer.charging_once = once;
        return answer;
    }

    // Connects once; a bus that cannot be reached is tried again at the next request.
    bool connected(ChargeLimitAnswer& answer) {
        if (m_bus) return true;
        GError* error = nullptr;
        g_autofree gchar* address =
            g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SYSTEM, nullptr, &error);
        if (address) {
            m_bus = g_dbus_connection_new_for_address_sync(
                address,
                static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                  G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                nullptr, m_cancellable, &error);
        }
        if (m_bus) return true;
        answer.outcome = ChargeLimitOutcome::not_installed;
        answer.message = std::string("no system bus: ") + error->message;
        g_error_free(error);
        return false;
    }

    // The call's reply, or null with the answer's outcome set.
    GVariant* call(const char* method, GVariant* parameters, const GVariantType* reply_type,
                   ChargeLimitAnswer& answer) {
        GError* error = nullptr;
        GVariant* reply = g_dbus_connection_call_sync(
            m_bus, k_name, k_path, k_interface, method, parameters, reply_type,
            G_DBUS_CALL_FLAGS_ALLOW_INTERACTIVE_AUTHORIZATION, k_call_timeout_ms, m_cancellable,
            &error);
        if (reply) return reply;
        const Outcome outcome = outcome_of(error);
        answer.outcome = outcome.outcome;
        answer.message = outcome.message;
        g_error_free(error);
        return nullptr;
    }

    ChargeLimitAnswerSink& m_answers;
    GCancellable* m_cancellable;
    GDBusConnection* m_bus = nullptr; // the client thread's alone
    std::mutex m_mutex;
    std::condition_variable m_change;
    std::deque<ChargeLimitRequest> m_requests;
    bool m_stopping = false;
    std::thread m_thread; // last: started once everything it uses is made
};

ChargeLimitClient::ChargeLimitClient(ChargeLimitAnswerSink answers)
    : m_answers(std::move(answers)) {}

ChargeLimitClient::~ChargeLimitClient() = default;

void ChargeLimitClient::ask(const ChargeLimitRequest& request) {
    std::lock_guard lock(m_mutex);
    if (!m_thread) m_thread = std::make_unique<Thread>(m_answers);
    m_thread->post(request);
}
