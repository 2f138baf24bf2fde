#include "platform/system/charge_limit_client.h"

#include "platform/system/bus_call.h"
#include "platform/system/own_charge_limit_service.h"
#include "platform/system/upower_charge_threshold.h"

#include <gio/gio.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

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
        BusCall bus{m_bus, m_cancellable, {}};
        if (!answer_through_upower(bus, request, answer, m_upower_charging_once))
            answer_through_own_service(bus, request, answer);
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

    ChargeLimitAnswerSink& m_answers;
    GCancellable* m_cancellable;
    GDBusConnection* m_bus = nullptr;    // the client thread's alone
    bool m_upower_charging_once = false; // the same
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
