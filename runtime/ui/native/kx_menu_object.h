#pragma once
// KXMenuObject: the represented object of every item of one runtime menu, through which the menu
// delegate finds the item's menu record. The record forgets it when the menu is freed, so an item
// that outlives its menu finds no record.

#include "platform/objc/native_class.h"

namespace rt {

struct MenuRecord;

class KXMenuObject : public NSObject {
  public:
    KXMenuObject() = default;

    // -initWithMenu:; returns self.
    id initWithMenu(MenuRecord* menu);
    // Null once the menu has been freed.
    MenuRecord* menu() const { return m_menu; }
    void forget_menu() { m_menu = nullptr; }

  private:
    MenuRecord* m_menu = nullptr; // borrowed: the menu table owns it
};

// Registers the class once; later calls do nothing.
void register_kx_menu_object_class();

} // namespace rt
