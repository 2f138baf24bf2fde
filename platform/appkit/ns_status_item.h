#pragma once
// NSStatusItem: an item of the system menu bar: an image, a title, a tooltip and a drop-down
// menu, with a length in points (-1 variable, -2 square). Items are made by NSStatusBar; an item
// stays in the bar until it is removed or freed, and the bar does not keep it alive, so its
// maker retains it.
//
// The display shows one status item (the bar's oldest) and its menu; a person's choice of a
// menu item reaches the model through choose_status_menu_item.

#include "platform/appkit/ns_image.h"
#include "platform/appkit/ns_menu.h"
#include "platform/foundation/ns_string.h"
#include "platform/graphics/cg_geometry.h"

#include <string>

class NSStatusBar;

inline constexpr CGFloat NSVariableStatusItemLength = -1;
inline constexpr CGFloat NSSquareStatusItemLength = -2;

class NSStatusItem : public NSObject {
  public:
    NSStatusItem() = default;
    ~NSStatusItem() override;

    NSStatusBar* statusBar() const { return m_status_bar; }
    CGFloat length() const { return m_length; }
    void setLength(CGFloat length) { m_length = length; }
    // Accepted and ignored: the display draws the item's highlight itself.
    void setHighlightMode(BOOL) {}
    // Retained; nil: no menu.
    NSMenu* menu() const { return m_menu.get(); }
    void setMenu(NSMenu* menu) { m_menu = ObjcRef<NSMenu>::retain(menu); }
    // Retained; nil: no image.
    NSImage* image() const { return m_image.get(); }
    void setImage(NSImage* image) { m_image = ObjcRef<NSImage>::retain(image); }
    // Nil until set, and after setting nil.
    NSString* title() const { return m_title.get(); }
    void setTitle(NSString* title) { m_title = ObjcRef<NSString>::retain(title); }
    // Nil: no tooltip.
    NSString* toolTip() const { return m_tool_tip.get(); }
    void setToolTip(NSString* tool_tip) { m_tool_tip = ObjcRef<NSString>::retain(tool_tip); }

    // For the model:
    // Called by the bar that makes the item; the bar is immortal.
    void set_status_bar(NSStatusBar* bar) { m_status_bar = bar; }

  private:
    NSStatusBar* m_status_bar = nullptr;
    CGFloat m_length = 0;
    ObjcRef<NSMenu> m_menu;
    ObjcRef<NSImage> m_image;
    ObjcRef<NSString> m_title;
    ObjcRef<NSString> m_tool_tip;
};

// A person opens the shown status item's menu and chooses the item tagged `number` (separators
// are never chosen): the menu's delegate hears menuWillOpen: and menuDidClose: when it answers
// them, and an item that can be chosen then (NSMenu::item_is_available) has its action sent to
// its target through NSApp, with the item as sender. Returns why nothing was chosen (empty when
// the action went out).
std::string choose_status_menu_item(int number);

void register_ns_status_item_class();
