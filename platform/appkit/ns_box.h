#pragma once
// NSBox: a view that draws a border and a title around a content view. The content view is a
// subview made at init with the box's size, and follows the box's size; other subviews may be
// added beside it. A new box has the title "Title" at the top, a groove border and the small
// system font for its title.

#include "platform/appkit/ns_font.h"
#include "platform/appkit/ns_view.h"

#include <cstdint>

enum : NSUInteger {
    NSNoTitle = 0,
    NSAboveTop = 1,
    NSAtTop = 2,
    NSBelowTop = 3,
    NSAboveBottom = 4,
    NSAtBottom = 5,
    NSBelowBottom = 6,
};
enum : NSUInteger {
    NSBoxPrimary = 0,
    NSBoxSecondary = 1,
    NSBoxSeparator = 2,
    NSBoxOldStyle = 3,
    NSBoxCustom = 4,
};
enum : NSUInteger { NSNoBorder = 0, NSLineBorder = 1, NSBezelBorder = 2, NSGrooveBorder = 3 };

class NSBox : public NSView {
  public:
    NSBox();

    id initWithFrame(NSRect frame);
    void setFrame(NSRect frame);

    // Never nil; a nil title sets the empty string.
    NSString* title() const;
    void setTitle(NSString* title);
    NSUInteger titlePosition() const { return m_title_position; }
    void setTitlePosition(NSUInteger position) { m_title_position = position; }
    NSUInteger boxType() const { return m_box_type; }
    void setBoxType(NSUInteger type) { m_box_type = type; }
    // Accepted and ignored: the model draws no border.
    void setBorderType(NSUInteger) {}
    // Never nil; nil restores the small system font.
    NSFont* titleFont() const;
    void setTitleFont(NSFont* font);
    // The box's own content view; nil before init. Setting one replaces the old one in the box.
    NSView* contentView() const { return m_content_view.get(); }
    void setContentView(NSView* view);
    // A view's tag: boxes have none (-1).
    NSInteger tag() const { return -1; }

    // For the model: the title as a person sees it, empty when the box shows none.
    std::string shown_title() const;
    // For the model: orders boxes among controls by creation.
    uint64_t creation_serial() const { return m_creation_serial; }

  private:
    ObjcRef<NSString> m_title;
    NSUInteger m_title_position = NSAtTop;
    NSUInteger m_box_type = NSBoxPrimary;
    ObjcRef<NSFont> m_title_font;
    ObjcRef<NSView> m_content_view;
    uint64_t m_creation_serial;
};

void register_ns_box_class();
