#pragma once
// NSStatusBar: the system menu bar's status area. It lists the status items it made, oldest
// first, without retaining them: a freed item leaves the bar by itself. The model is used from
// the main thread only.

#include "platform/appkit/ns_status_item.h"

#include <vector>

class NSStatusBar : public NSObject {
  public:
    NSStatusBar() = default;

    // Immortal.
    static NSStatusBar* systemStatusBar(Class self);

    // An autoreleased new item of that length, placed in the bar. The length is an integer so
    // that the plain -2 (square) or -1 (variable) of a by-name send arrives as given.
    NSStatusItem* statusItemWithLength(NSInteger length);
    // The item leaves the bar (an item of another bar, or nil, changes nothing).
    void removeStatusItem(NSStatusItem* item);
    // 22 points, the menu bar's height less its margins.

    // For the model:
    // The items in the bar, oldest first (not retained).
    const std::vector<NSStatusItem*>& items() const { return m_items; }
    // The item the display shows: the oldest; nil when there is none.
    static NSStatusItem* shown_item();
    // Drops a freed item from the list.
    void forget_item(NSStatusItem* item);

  private:
    std::vector<NSStatusItem*> m_items;
};

void register_ns_status_bar_class();
