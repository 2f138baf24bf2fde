#pragma once
// NSTextField: a control showing its string value. A new field is editable, selectable and
// bezeled, draws black text on the text background; a label is one made neither selectable nor
// bezeled. The model has no field editor, so editing never starts.

#include "platform/appkit/ns_color.h"
#include "platform/appkit/ns_control.h"

class NSTextField : public NSControl {
  public:
    NSTextField();

    BOOL isEditable() const { return m_editable ? YES : NO; }
    BOOL isSelectable() const { return m_selectable ? YES : NO; }
    // A field that is not selectable is not editable either.
    void setSelectable(BOOL flag);
    BOOL isBezeled() const { return m_bezeled ? YES : NO; }
    void setBezeled(BOOL flag) { m_bezeled = flag != NO; }
    BOOL isBordered() const { return m_bordered ? YES : NO; }
    void setBordered(BOOL flag) { m_bordered = flag != NO; }
    // Retained; never nil after init (a nil colour keeps the one set before).
    NSColor* backgroundColor() const { return m_background_color.get(); }
    void setBackgroundColor(NSColor* color);
    NSColor* textColor() const { return m_text_color.get(); }
    void setTextColor(NSColor* color);

  private:
    bool m_editable = true;
    bool m_selectable = true;
    bool m_bezeled = true;
    bool m_bordered = false;
    ObjcRef<NSColor> m_background_color;
    ObjcRef<NSColor> m_text_color;
};

void register_ns_text_field_class();
