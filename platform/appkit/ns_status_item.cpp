#include "platform/appkit/ns_status_item.h"

#include "platform/appkit/ns_application.h"
#include "platform/appkit/ns_status_bar.h"
#include "platform/objc/message_send.h"

#include <utility>

namespace {

NSMenuItem* item_numbered(const NSMenu& menu, int number) {
    for (NSInteger i = 0; i < menu.numberOfItems(); ++i) {
        NSMenuItem* item = menu.itemAtIndex(i);
        if (!item->isSeparatorItem() && item->tag() == number) return item;
    }
    return nil;
}

// Menu delegates are often classes made at run time, so they are asked by message.
void tell_delegate(NSMenu* menu, const char* selector) {
    id delegate = menu->delegate();
    SEL sel = sel_registerName(selector);
    if (!delegate || !class_respondsToSelector(object_getClass(delegate), sel)) return;
    objc_msgSend(delegate, sel, static_cast<id>(menu));
}

} // namespace

NSStatusItem::~NSStatusItem() {
    if (m_status_bar) m_status_bar->forget_item(this);
}

std::string choose_status_menu_item(int number) {
    NSStatusItem* item = NSStatusBar::shown_item();
    ObjcRef<NSMenu> menu = ObjcRef<NSMenu>::retain(item ? item->menu() : nil);
    if (!menu) return "the status menu is not available";
    tell_delegate(menu.get(), "menuWillOpen:");
    NSMenuItem* chosen = item_numbered(*menu, number);
    const bool available = chosen && menu->item_is_available(chosen);
    // The action may change the menu, so the item outlives it.
    ObjcRef<NSMenuItem> keep = ObjcRef<NSMenuItem>::retain(available ? chosen : nil);
    tell_delegate(menu.get(), "menuDidClose:");
    if (!chosen) return "no menu item " + std::to_string(number);
    if (!available) return "menu item " + std::to_string(number) + " is disabled";
    if (NSApp) NSApp->sendActionToFrom(keep->action(), keep->target(), keep.get());
    return {};
}

void register_ns_status_item_class() {
    register_native_class<NSStatusItem>(
        "NSStatusItem", "NSObject",
        {
            instance_method<&NSStatusItem::statusBar>("statusBar"),
            instance_method<&NSStatusItem::length>("length"),
            instance_method<&NSStatusItem::setLength>("setLength:"),
            instance_method<&NSStatusItem::setHighlightMode>("setHighlightMode:"),
            instance_method<&NSStatusItem::menu>("menu"),
            instance_method<&NSStatusItem::setMenu>("setMenu:"),
            instance_method<&NSStatusItem::image>("image"),
            instance_method<&NSStatusItem::setImage>("setImage:"),
            instance_method<&NSStatusItem::title>("title"),
            instance_method<&NSStatusItem::setTitle>("setTitle:"),
            instance_method<&NSStatusItem::setToolTip>("setToolTip:"),
        });
}
