#include "platform/appkit/ns_pop_up_button.h"

#include "platform/objc/message_send.h"

#include <algorithm>

void NSPopUpButton::addItemWithTitle(NSString* title) {
    insertItemWithTitle(title, numberOfItems());
}

void NSPopUpButton::insertItemWithTitle(NSString* title, NSInteger index) {
    index = std::clamp<NSInteger>(index, 0, numberOfItems());
    m_items.insert(m_items.begin() + index, NSString::make(units_of(title)));
    if (m_selected >= index) ++m_selected;
    if (m_selected < 0) m_selected = 0;
}

void NSPopUpButton::removeItemAtIndex(NSInteger index) {
    if (!has_item(index)) return;
    m_items.erase(m_items.begin() + index);
    if (m_selected > index) --m_selected;
    if (m_selected == index) m_selected = m_items.empty() ? -1 : 0;
}

void NSPopUpButton::removeAllItems() {
    m_items.clear();
    m_selected = -1;
}

NSString* NSPopUpButton::itemTitleAtIndex(NSInteger index) const {
    if (!has_item(index)) return NSString::make(u"").autorelease();
    return m_items[static_cast<size_t>(index)].get();
}

void NSPopUpButton::selectItemAtIndex(NSInteger index) {
    if (index == -1 || has_item(index)) m_selected = index;
}

NSString* NSPopUpButton::titleOfSelectedItem() const {
    return has_item(m_selected) ? m_items[static_cast<size_t>(m_selected)].get() : nil;
}

// The action goes by message, as a button's click sends it.
BOOL NSPopUpButton::choose_item(NSInteger index) {
    if (!isEnabled() || !has_item(index)) return NO;
    m_selected = index;
    msg_send<BOOL>(this, "sendAction:to:", action(), target());
    return YES;
}

void register_ns_pop_up_button_class() {
    register_native_class<NSPopUpButton>(
        "NSPopUpButton", "NSButton",
        {
            instance_method<&NSPopUpButton::addItemWithTitle>("addItemWithTitle:"),
            instance_method<&NSPopUpButton::insertItemWithTitle>("insertItemWithTitle:atIndex:"),
            instance_method<&NSPopUpButton::removeItemAtIndex>("removeItemAtIndex:"),
            instance_method<&NSPopUpButton::removeAllItems>("removeAllItems"),
            instance_method<&NSPopUpButton::numberOfItems>("numberOfItems"),
            instance_method<&NSPopUpButton::itemTitleAtIndex>("itemTitleAtIndex:"),
            instance_method<&NSPopUpButton::selectItemAtIndex>("selectItemAtIndex:"),
            instance_method<&NSPopUpButton::indexOfSelectedItem>("indexOfSelectedItem"),
            instance_method<&NSPopUpButton::titleOfSelectedItem>("titleOfSelectedItem"),
            instance_method<&NSPopUpButton::intValue>("intValue"),
            instance_method<&NSPopUpButton::setIntValue>("setIntValue:"),
        });
}
