#include "platform/appkit/ns_menu.h"

#include "platform/appkit/ns_application.h"
#include "platform/objc/message_send.h"

#include <algorithm>

namespace {

NSString* const k_empty_title = NSString::make_constant(u"");

bool responds(id object, SEL action) {
    return object && class_respondsToSelector(object_getClass(object), action);
}

} // namespace

NSMenu::~NSMenu() {
    std::vector<ObjcRef<NSMenuItem>> items = std::move(m_items);
    m_items.clear();
    for (const auto& item : items)
        item->set_menu(nullptr);
}

id NSMenu::initWithTitle(NSString* title) {
    setTitle(title);
    return this;
}

NSString* NSMenu::title() const {
    return m_title ? m_title.get() : k_empty_title;
}

void NSMenu::setTitle(NSString* title) {
    m_title = ObjcRef<NSString>::retain(title);
}

void NSMenu::addItem(NSMenuItem* item) {
    insertItemAtIndex(item, numberOfItems());
}

void NSMenu::insertItemAtIndex(NSMenuItem* item, NSInteger index) {
    if (!item || item->menu()) return;
    if (index < 0 || index > numberOfItems()) return;
    m_items.insert(m_items.begin() + index, ObjcRef<NSMenuItem>::retain(item));
    item->set_menu(this);
}

void NSMenu::removeItem(NSMenuItem* item) {
    removeItemAtIndex(indexOfItem(item));
}

void NSMenu::removeItemAtIndex(NSInteger index) {
    if (index < 0 || index >= numberOfItems()) return;
    // The caller may hold the item only through this menu; keep it alive until it is unlinked.
    ObjcRef<NSMenuItem> item = std::move(m_items[static_cast<std::size_t>(index)]);
    m_items.erase(m_items.begin() + index);
    item->set_menu(nullptr);
}

NSMenuItem* NSMenu::itemAtIndex(NSInteger index) const {
    if (index < 0 || index >= numberOfItems()) return nil;
    return m_items[static_cast<std::size_t>(index)].get();
}

NSInteger NSMenu::indexOfItem(NSMenuItem* item) const {
    if (!contains(item)) return -1;
    auto found = std::find_if(m_items.begin(), m_items.end(),
                              [&](const auto& held) { return held.get() == item; });
    return found == m_items.end() ? -1 : static_cast<NSInteger>(found - m_items.begin());
}

NSMenuItem* NSMenu::itemWithTag(NSInteger tag) const {
    for (const auto& item : m_items) {
        if (item->tag() == tag) return item.get();
    }
    return nil;
}

bool NSMenu::item_is_available(NSMenuItem* item) const {
    if (!contains(item) || !item->isEnabled()) return false;
    if (!m_autoenables_items || item->hasSubmenu()) return true;
    SEL action = item->action();
    if (!action) return false;
    id target = item->target() ? item->target() : NSApp ? NSApp->target_for_action(action) : nil;
    return responds(target, action);
}

void register_ns_menu_class() {
    NSString::give_constant_class(k_empty_title);
    register_native_class<NSMenu>(
        "NSMenu", "NSObject",
        {
            instance_method<&NSMenu::initWithTitle>("initWithTitle:"),
            instance_method<&NSMenu::title>("title"),
            instance_method<&NSMenu::setTitle>("setTitle:"),
            instance_method<&NSMenu::addItem>("addItem:"),
            instance_method<&NSMenu::insertItemAtIndex>("insertItem:atIndex:"),
            instance_method<&NSMenu::removeItem>("removeItem:"),
            instance_method<&NSMenu::numberOfItems>("numberOfItems"),
            instance_method<&NSMenu::itemAtIndex>("itemAtIndex:"),
            instance_method<&NSMenu::indexOfItem>("indexOfItem:"),
            instance_method<&NSMenu::itemWithTag>("itemWithTag:"),
            instance_method<&NSMenu::delegate>("delegate"),
            instance_method<&NSMenu::setDelegate>("setDelegate:"),
            instance_method<&NSMenu::autoenablesItems>("autoenablesItems"),
            instance_method<&NSMenu::setAutoenablesItems>("setAutoenablesItems:"),
        });
}
