#pragma once
// The model shown on a display and driven by its input for as long as this lives: the display in
// its slot, the application's status item and windows as what it shows, the input router as where
// its input goes, and, where the display's clock is real, the system bus, whose sleep and wake
// reach the router by the same way as the display's own (display_slot.h: hand_input_to_model).
//
// The members end in the reverse order of their making, so the system bus's thread is stopped
// before the display leaves its slot, as the slot's threading rules ask. The charge limit's
// client, which the model's requests reach through charge_limit_requests.h, is connected on
// every display: its thread is made only when the model first asks.

#include "platform/appkit/model_presenter.h"
#include "platform/display/display_slot.h"
#include "platform/startup/input_router.h"

#include <functional>
#include <memory>
#include <string>

class SystemBus;
class ChargeLimitClient;

struct ModelOptions {
    // Follow the system bus's sleep, wake and power profile (display_choice.h says for which
    // displays).
    bool follow_system_bus = false;
    // The program's name, as the system bus is told it.
    std::string program_name;
};

class ModelOnDisplay {
  public:
    // `display` is borrowed and must outlive this.
    explicit ModelOnDisplay(Display& display, ModelOptions options = {});
    ~ModelOnDisplay();
    ModelOnDisplay(const ModelOnDisplay&) = delete;
    ModelOnDisplay& operator=(const ModelOnDisplay&) = delete;

  private:
    ModelPresenter m_presenter;
    InputRouter m_router;
    DisplayScope m_scope;
    std::unique_ptr<ChargeLimitClient> m_charge_limit; // made after the scope, stopped before it
    std::unique_ptr<SystemBus> m_system_bus;           // the same
};

// Thread-safe: `input` is handed to the model on the main thread (hand_input_to_model) at its
// next wait, then `delivered` runs there; a task never run drops both. The system bus's notices
// come this way.
void send_input_to_model(const Input& input, std::function<void()> delivered);
