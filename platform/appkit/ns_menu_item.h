#pragma once
// NSMenuItem: one entry of a menu: a title, an action sent to a target (or up the responder
// chain when the target is nil), a key equivalent with its modifier mask, a tag, a represented
// object, and optionally a submenu. An item belongs to at most one menu at a time; menu() names
// it (not retained, cleared when the menu lets the item go).

#include "platform/appkit/ns_image.h"
#include "platform/foundation/ns_string.h"
#include "platform/objc/native_class.h"

class NSMenu;

class NSMenuItem : public NSObject {
  public:
    NSMenuItem();
    ~NSMenuItem() override;

    // An autoreleased separator: empty title, no action, disabled.
    static NSMenuItem* separatorItem(Class self);

    // -initWithTitle:action:keyEquivalent:; a nil title or key counts as empty.
    id initWithTitleActionKeyEquivalent(NSString* title, SEL action, NSString* key);

    // Never nil: an empty string when unset.
    NSString* title() const;
    void setTitle(NSString* title);
    SEL action() const { return m_action; }
    void setAction(SEL action) { m_action = action; }
    id target() const { return m_target; }
    void setTarget(id target) { m_target = target; }
    // Never nil: an empty string when unset.
    NSString* keyEquivalent() const;
    void setKeyEquivalent(NSString* key);
    // Command (1 << 20) unless set.
    NSUInteger keyEquivalentModifierMask() const { return m_modifier_mask; }
    void setKeyEquivalentModifierMask(NSUInteger mask) { m_modifier_mask = mask; }
    NSInteger tag() const { return m_tag; }
    void setTag(NSInteger tag) { m_tag = tag; }
    id representedObject() const { return m_represented_object.get(); }
    void setRepresentedObject(id object) { m_represented_object = ObjcRef<>::retain(object); }
    BOOL isEnabled() const { return m_enabled; }
    void setEnabled(BOOL flag) { m_enabled = flag ? YES : NO; }
    BOOL isSeparatorItem() const { return m_separator; }
    // The control states: 0 off (unless set), 1 on, -1 mixed.
    NSInteger state() const { return m_state; }
    void setState(NSInteger state) { m_state = state; }
    NSImage* image() const { return m_image.get(); }
    void setImage(NSImage* image) { m_image = ObjcRef<NSImage>::retain(image); }

    // Retained.
    NSMenu* submenu() const { return m_submenu.get(); }
    void setSubmenu(NSMenu* submenu);
    BOOL hasSubmenu() const { return m_submenu ? YES : NO; }
    NSMenu* menu() const { return m_menu; }

    // For the model: NSMenu records here which menu holds the item (nil when none).
    void set_menu(NSMenu* menu) { m_menu = menu; }

  private:
    ObjcRef<NSString> m_title;
    SEL m_action = nullptr;
    id m_target = nil;
    ObjcRef<NSString> m_key_equivalent;
    NSUInteger m_modifier_mask = NSUInteger{1} << 20; // Command
    NSInteger m_tag = 0;
    ObjcRef<> m_represented_object;
    BOOL m_enabled = YES;
    BOOL m_separator = NO;
    NSInteger m_state = 0; // off
    ObjcRef<NSImage> m_image;
    ObjcRef<NSMenu> m_submenu;
    NSMenu* m_menu = nullptr;
};

void register_ns_menu_item_class();
