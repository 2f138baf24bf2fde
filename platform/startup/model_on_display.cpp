#include "platform/startup/model_on_display.h"

#include "platform/appkit/charge_limit_requests.h"
#include "platform/appkit/main_thread_tasks.h"
#include "platform/system/charge_limit_client.h"
#include "platform/system/system_bus.h"

#include <utility>

ModelOnDisplay::ModelOnDisplay(Display& display, ModelOptions options)
    : m_scope(display, &m_presenter, &m_router),
      m_charge_limit(std::make_unique<ChargeLimitClient>(answer_charge_limit_request)) {
    connect_charge_limit_service([client = m_charge_limit.get()](
                                     const ChargeLimitRequest& request) { client->ask(request); });
    if (options.follow_system_bus)
        m_system_bus = SystemBus::start(send_input_to_model, options.program_name);
}

ModelOnDisplay::~ModelOnDisplay() {
    connect_charge_limit_service({});
}

void send_input_to_model(const Input& input, std::function<void()> delivered) {
    perform_on_main_thread([input, delivered = std::move(delivered)] {
        hand_input_to_model(input);
        if (delivered) delivered();
    });
}
