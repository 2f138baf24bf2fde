#include "platform/appkit/charge_limit_requests.h"

#include "platform/appkit/main_thread_tasks.h"

#include <utility>

namespace {

ChargeLimitAnswerHandler& answer_handler() {
    static ChargeLimitAnswerHandler handler;
    return handler;
}

std::function<void(const ChargeLimitRequest&)>& service() {
    static std::function<void(const ChargeLimitRequest&)> send;
    return send;
}

} // namespace

void SetChargeLimitAnswerHandler(ChargeLimitAnswerHandler handler) {
    answer_handler() = std::move(handler);
}

void RequestChargeLimit(const ChargeLimitRequest& request) {
    if (service()) {
        service()(request);
        return;
    }
    ChargeLimitAnswer answer;
    answer.ask = request.ask;
    answer.outcome = ChargeLimitOutcome::not_installed;
    answer.message = "no connection to the system bus";
    answer_charge_limit_request(answer);
}

void connect_charge_limit_service(std::function<void(const ChargeLimitRequest&)> send) {
    service() = std::move(send);
}

void answer_charge_limit_request(const ChargeLimitAnswer& answer) {
    perform_on_main_thread([answer] {
        if (answer_handler()) answer_handler()(answer);
    });
}
