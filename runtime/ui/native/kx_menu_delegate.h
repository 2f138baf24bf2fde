#pragma once
// KXMenuDelegate: the target of the runtime's menu items and of the application menu's Quit
// item. The application-menu actions post EventKindMenu with the item numbers -2 (Preferences),
// -3 (About) and -4 (Quit) and the window number last installed with setWindowID: (-1 while no
// window's menu bar is installed). eventHandler:, the action of every runtime menu item, posts the
// item's number with its menu bar's window number, or window 0 for a pop-up menu's item.

#include "platform/objc/native_class.h"
#include "runtime/ui/menus.h"

#include <cstdint>

namespace rt {

class KXMenuDelegate : public NSObject {
  public:
    KXMenuDelegate() = default;

    void setWindowID(int64_t window) { m_window_id = window; }
    int64_t window_id() const { return m_window_id; }
    void preferences(id sender);
    void about(id sender);
    void terminate(id sender);
    // Nothing is posted for an item of a freed menu, nor for a menu bar whose window is gone or
    // disabled.
    void eventHandler(id sender);

  private:
    int64_t m_window_id = -1;
};

// Registers the class with the object runtime; called once before the first instance is made.
void register_kx_menu_delegate_class();

} // namespace rt
