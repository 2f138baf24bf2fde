#pragma once
// The model shown on a display and driven by its input for as long as this lives: the display in
// its slot, the application's status item and windows as what it shows, the input router as where
// its input goes.

#include "platform/appkit/model_presenter.h"
#include "platform/display/display_slot.h"
#include "platform/startup/input_router.h"

class ModelOnDisplay {
  public:
    // `display` is borrowed and must outlive this.
    explicit ModelOnDisplay(Display& display) : m_scope(display, &m_presenter, &m_router) {}

  private:
    ModelPresenter m_presenter;
    InputRouter m_router;
    DisplayScope m_scope;
};
