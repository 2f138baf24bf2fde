#pragma once
// NSMenu: an ordered list of menu items, each retained and recorded as belonging to this menu.
// Where the platform raises an exception (an index out of range, an item already in a menu), the
// model changes nothing and answers nil or -1.

#include "platform/appkit/ns_menu_item.h"
#include "platform/foundation/ns_array.h"

#include <vector>

class NSMenu : public NSObject {
  public:
    NSMenu() = default;
    ~NSMenu() override;

    // -initWithTitle:; a nil title counts as empty.
    id initWithTitle(NSString* title);
    // Never nil.
    NSString* title() const;
    void setTitle(NSString* title);

    // Nil, or an item that already belongs to a menu (this one included), changes nothing.
    void addItem(NSMenuItem* item);
    // As addItem:, at `index` from 0 to the number of items; another index changes nothing.
    void insertItemAtIndex(NSMenuItem* item, NSInteger index);
    // An item of another menu, or an index out of range, changes nothing.
    void removeItem(NSMenuItem* item);
    void removeItemAtIndex(NSInteger index);
    NSInteger numberOfItems() const { return static_cast<NSInteger>(m_items.size()); }
    // Nil out of range.
    NSMenuItem* itemAtIndex(NSInteger index) const;
    // -1 when absent.
    NSInteger indexOfItem(NSMenuItem* item) const;
    // The first item with the tag; nil when none.
    NSMenuItem* itemWithTag(NSInteger tag) const;

    // Not retained.
    id delegate() const { return m_delegate; }
    void setDelegate(id delegate) { m_delegate = delegate; }
    // YES unless set.
    BOOL autoenablesItems() const { return m_autoenables_items; }
    void setAutoenablesItems(BOOL flag) { m_autoenables_items = flag ? YES : NO; }

    // For the model: whether the item can be chosen now: enabled, and with autoenabling on, an
    // item with a submenu, or one whose action is answered by its target (or, target nil, by
    // the first object of NSApp's responder chain that answers it). False for nil and for items
    // of other menus.
    bool item_is_available(NSMenuItem* item) const;

  private:
    bool contains(NSMenuItem* item) const { return item && item->menu() == this; }

    ObjcRef<NSString> m_title;
    std::vector<ObjcRef<NSMenuItem>> m_items;
    id m_delegate = nil;
    BOOL m_autoenables_items = YES;
};

void register_ns_menu_class();
