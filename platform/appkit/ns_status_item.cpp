#include "platform/appkit/ns_status_item.h"

#include "platform/appkit/ns_application.h"
#include "platform/appkit/ns_event.h"
#include "platform/appkit/ns_status_bar.h"
#include "platform/objc/message_send.h"

#include <array>
#include <utility>

namespace {

struct ModifierBit {
    NSUInteger flag;
    KeyModifier modifier;
};

constexpr std::array<ModifierBit, 4> k_modifier_bits = {
    ModifierBit{NSEventModifierFlagCommand, KeyModifier::command},
    ModifierBit{NSEventModifierFlagShift, KeyModifier::shift},
    ModifierBit{NSEventModifierFlagOption, KeyModifier::alternate},
    ModifierBit{NSEventModifierFlagControl, KeyModifier::control},
};

std::string utf8_of(NSString* text) {
    return text ? text->utf8() : std::string();
}

uint8_t modifiers_of(NSUInteger mask) {
    uint8_t modifiers = 0;
    for (const ModifierBit& bit : k_modifier_bits) {
        if (mask & bit.flag) modifiers |= static_cast<uint8_t>(bit.modifier);
    }
    return modifiers;
}

MenuItemSnapshot item_snapshot(const NSMenu& menu, NSMenuItem* item) {
    MenuItemSnapshot snapshot;
    if (item->isSeparatorItem()) {
        snapshot.separator = true;
        return snapshot;
    }
    snapshot.number = static_cast<int>(item->tag());
    snapshot.title = utf8_of(item->title());
    snapshot.key = utf8_of(item->keyEquivalent());
    // A modifier mask means nothing without a key to press with it.
    if (!snapshot.key.empty()) snapshot.modifiers = modifiers_of(item->keyEquivalentModifierMask());
    snapshot.enabled = menu.item_is_available(item);
    return snapshot;
}

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

StatusSnapshot NSStatusItem::display_snapshot() const {
    StatusSnapshot snapshot;
    if (NSImage* image = m_image.get()) {
        if (const std::string* file = image->picture_file()) snapshot.image = *file;
        snapshot.is_template = image->isTemplate() != NO;
        snapshot.pixels = image->display_pixels();
    }
    snapshot.title = utf8_of(m_title.get());
    if (m_tool_tip) snapshot.tooltip = m_tool_tip->utf8();
    return snapshot;
}

std::optional<std::vector<MenuItemSnapshot>> NSStatusItem::menu_snapshot() const {
    if (!m_menu) return std::nullopt;
    std::vector<MenuItemSnapshot> items;
    for (NSInteger i = 0; i < m_menu->numberOfItems(); ++i)
        items.push_back(item_snapshot(*m_menu, m_menu->itemAtIndex(i)));
    return items;
}

void show_status_item_on(Display& display) {
    NSStatusItem* item = NSStatusBar::shown_item();
    if (!item) {
        display.set_status(std::nullopt);
        display.set_status_menu(std::nullopt);
        return;
    }
    display.set_status(item->display_snapshot());
    display.set_status_menu(item->menu_snapshot());
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
