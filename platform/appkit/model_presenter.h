#pragma once
// Shows the application on a display: the status item, then every window that is visible or was
// visible before (set_window with its snapshot), and window_closed for windows gone since the
// last time. Visible windows' views that need display draw first.

#include "platform/display/display_slot.h"

#include <cstdint>
#include <set>

class ModelPresenter final : public DisplayPresenter {
  public:
    void show_on(Display& display) override;

  private:
    std::set<int64_t> m_shown; // windows the display shows as open
};
