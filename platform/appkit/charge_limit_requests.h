#pragma once
// The model's way to the charge limit's service: a request goes to whatever start-up connected
// (the system bus's client), and its answer comes back to the model's handler on the main
// thread, at its next wait. Without a connection every request is answered "not installed".

#include "platform/iokit/charge_limit_request.h"

#include <functional>

using ChargeLimitAnswerHandler = std::function<void(const ChargeLimitAnswer&)>;

// Main thread. The handler of every later answer; an empty one drops them.
void SetChargeLimitAnswerHandler(ChargeLimitAnswerHandler handler);
// Main thread. Sends the request; its one answer comes to the handler later, never before this
// returns.
void RequestChargeLimit(const ChargeLimitRequest& request);

// Start-up: where requests go from now on; an empty function disconnects.
void connect_charge_limit_service(std::function<void(const ChargeLimitRequest&)> send);
// Thread-safe: hands an answer to the main thread.
void answer_charge_limit_request(const ChargeLimitAnswer& answer);
