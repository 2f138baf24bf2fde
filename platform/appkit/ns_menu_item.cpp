#include "platform/appkit/ns_menu_item.h"

#include "platform/appkit/ns_menu.h"
#include "platform/foundation/instance_of.h"

namespace {

NSString* const k_empty_text = NSString::make_constant(u"");

} // namespace

NSMenuItem::NSMenuItem() = default;
NSMenuItem::~NSMenuItem() = default;

NSMenuItem* NSMenuItem::separatorItem(Class self) {
    ObjcRef<NSMenuItem> item = make_instance_of<NSMenuItem>(self);
    if (!item) return nil;
    item->m_separator = YES;
    item->m_enabled = NO;
    return item.autorelease();
}

id NSMenuItem::initWithTitleActionKeyEquivalent(NSString* title, SEL action, NSString* key) {
    setTitle(title);
    m_action = action;
    setKeyEquivalent(key);
    return this;
}

NSString* NSMenuItem::title() const {
    return m_title ? m_title.get() : k_empty_text;
}

void NSMenuItem::setTitle(NSString* title) {
    m_title = ObjcRef<NSString>::retain(title);
}

NSString* NSMenuItem::keyEquivalent() const {
    return m_key_equivalent ? m_key_equivalent.get() : k_empty_text;
}

void NSMenuItem::setKeyEquivalent(NSString* key) {
    m_key_equivalent = ObjcRef<NSString>::retain(key);
}

void NSMenuItem::setSubmenu(NSMenu* submenu) {
    m_submenu = ObjcRef<NSMenu>::retain(submenu);
}

void register_ns_menu_item_class() {
    NSString::give_constant_class(k_empty_text);
    register_native_class<NSMenuItem>(
        "NSMenuItem", "NSObject",
        {
            class_method<&NSMenuItem::separatorItem>("separatorItem"),
            instance_method<&NSMenuItem::initWithTitleActionKeyEquivalent>(
                "initWithTitle:action:keyEquivalent:"),
            instance_method<&NSMenuItem::title>("title"),
            instance_method<&NSMenuItem::setTitle>("setTitle:"),
            instance_method<&NSMenuItem::action>("action"),
            instance_method<&NSMenuItem::setAction>("setAction:"),
            instance_method<&NSMenuItem::target>("target"),
            instance_method<&NSMenuItem::setTarget>("setTarget:"),
            instance_method<&NSMenuItem::keyEquivalent>("keyEquivalent"),
            instance_method<&NSMenuItem::setKeyEquivalent>("setKeyEquivalent:"),
            instance_method<&NSMenuItem::keyEquivalentModifierMask>("keyEquivalentModifierMask"),
            instance_method<&NSMenuItem::setKeyEquivalentModifierMask>(
                "setKeyEquivalentModifierMask:"),
            instance_method<&NSMenuItem::tag>("tag"),
            instance_method<&NSMenuItem::setTag>("setTag:"),
            instance_method<&NSMenuItem::representedObject>("representedObject"),
            instance_method<&NSMenuItem::setRepresentedObject>("setRepresentedObject:"),
            instance_method<&NSMenuItem::isEnabled>("isEnabled"),
            instance_method<&NSMenuItem::setEnabled>("setEnabled:"),
            instance_method<&NSMenuItem::isSeparatorItem>("isSeparatorItem"),
            instance_method<&NSMenuItem::state>("state"),
            instance_method<&NSMenuItem::setState>("setState:"),
            instance_method<&NSMenuItem::image>("image"),
            instance_method<&NSMenuItem::setImage>("setImage:"),
            instance_method<&NSMenuItem::submenu>("submenu"),
            instance_method<&NSMenuItem::setSubmenu>("setSubmenu:"),
            instance_method<&NSMenuItem::hasSubmenu>("hasSubmenu"),
            instance_method<&NSMenuItem::menu>("menu"),
        });
}
