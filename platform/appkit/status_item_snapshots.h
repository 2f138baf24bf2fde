#pragma once
// The shown status item and its menu as a display sees them, kept from one showing to the next
// and brought up to date in place: a text is converted to UTF-8 only when its characters differ
// from those converted before, so showing an unchanged item converts nothing and allocates
// nothing. Everything a snapshot holds is compared or read again at every update.

#include "platform/appkit/ns_status_item.h"
#include "platform/display/display_snapshots.h"

#include <optional>
#include <string>
#include <vector>

class StatusItemSnapshots {
  public:
    // Brings both snapshots up to date with `item`; a null item has neither. Without
    // `with_pixels` the status snapshot's pixels stay null.
    void update(const NSStatusItem* item, bool with_pixels);
    // What a person sees of the item: a nil title shows as empty.
    const std::optional<StatusSnapshot>& status() const { return m_status; }
    // The menu as a person sees it when it opens, top to bottom; null without a menu.
    const std::optional<std::vector<MenuItemSnapshot>>& menu() const { return m_menu; }

  private:
    // The characters a snapshot's strings were last converted from.
    struct ItemTexts {
        std::u16string title;
        std::u16string key;
    };

    void update_status(const NSStatusItem& item, bool with_pixels);
    void update_menu(const NSMenu& menu);

    std::optional<StatusSnapshot> m_status;
    std::u16string m_title_units;
    std::u16string m_tool_tip_units;
    std::optional<std::vector<MenuItemSnapshot>> m_menu;
    std::vector<ItemTexts> m_menu_texts; // one for each of m_menu's items
};
