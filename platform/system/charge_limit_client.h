#pragma once
// The charge limit's service (org.zerarazi.ChargeLimit1 on the system bus), asked from a thread
// of its own: a request may wait minutes while polkit asks for an administrator's password, and
// the terminal display runs no GLib loop. The thread and its connection are made at the first
// request, so a person who never asks costs nothing. The system's power daemon answers where it
// offers charge thresholds (upower_charge_threshold.h), else the program's own service
// (own_charge_limit_service.h).
//
// A request is sent with interactive authorisation allowed; the service's errors become
// outcomes, and an answer always carries the limit in force.

#include "platform/iokit/charge_limit_request.h"

#include <functional>
#include <memory>
#include <mutex>

// Called on the client's thread with each answer, in the order of the requests.
using ChargeLimitAnswerSink = std::function<void(const ChargeLimitAnswer&)>;

class ChargeLimitClient {
  public:
    explicit ChargeLimitClient(ChargeLimitAnswerSink answers);
    // Cancels what is on its way (no answer comes for it) and waits for the thread.
    ~ChargeLimitClient();
    ChargeLimitClient(const ChargeLimitClient&) = delete;
    ChargeLimitClient& operator=(const ChargeLimitClient&) = delete;

    // Thread-safe. Every request gets one answer.
    void ask(const ChargeLimitRequest& request);

    class Thread;

  private:
    ChargeLimitAnswerSink m_answers;
    std::mutex m_mutex;
    std::unique_ptr<Thread> m_thread; // made at the first request
};
