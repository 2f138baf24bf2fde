#pragma once
// Shows the application on a display: the status item, then every window that is visible or was
// visible before (set_window with its snapshot), and window_closed for windows gone since the
// last time. Visible windows' views that need display draw first.

#include "platform/appkit/ns_window.h"
#include "platform/appkit/status_item_snapshots.h"
#include "platform/display/display_slot.h"

#include <cstdint>
#include <vector>

class ModelPresenter final : public DisplayPresenter {
  public:
    void show_on(Display& display) override;

  private:
    void show_windows_on(Display& display);

    StatusItemSnapshots m_status_item;
    std::vector<int64_t> m_shown; // windows the display shows as open, in ascending order
    // Always empty: kept between showings only for its capacity.
    std::vector<ObjcRef<NSWindow>> m_windows;
};
