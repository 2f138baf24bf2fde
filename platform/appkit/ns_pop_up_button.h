#pragma once
// NSPopUpButton: a button that shows the title of its selected item and, when pressed, a menu of
// its items to choose from. Items are known here by their titles only. Adding to an empty button
// selects the new item; removing the selected item selects the first one left, if any.

#include "platform/appkit/ns_button.h"

#include <vector>

class NSPopUpButton : public NSButton {
  public:
    NSPopUpButton() = default;

    // A nil title adds an empty one.
    void addItemWithTitle(NSString* title);
    // An index past the end appends; a negative one inserts first.
    void insertItemWithTitle(NSString* title, NSInteger index);
    void removeItemAtIndex(NSInteger index);
    void removeAllItems();
    NSInteger numberOfItems() const { return static_cast<NSInteger>(m_items.size()); }
    // Never nil: empty for an index out of range.
    NSString* itemTitleAtIndex(NSInteger index) const;
    // -1 selects nothing; another index out of range is ignored.
    void selectItemAtIndex(NSInteger index);
    // -1 when nothing is selected.
    NSInteger indexOfSelectedItem() const { return m_selected; }
    // Nil when nothing is selected.
    NSString* titleOfSelectedItem() const;
    // The selected index, as every control answers its value.
    int intValue() const { return static_cast<int>(m_selected); }
    void setIntValue(int value) { selectItemAtIndex(value); }

    // For the model: a person picks item `index` from the open menu, which selects it and sends
    // the action. NO when the button is disabled or has no such item.
    BOOL choose_item(NSInteger index);

  private:
    bool has_item(NSInteger index) const { return index >= 0 && index < numberOfItems(); }

    std::vector<ObjcRef<NSString>> m_items;
    NSInteger m_selected = -1;
};

void register_ns_pop_up_button_class();
