#pragma once
// NSControl: a view that a person operates, which then sends its action to its target. The target
// is not retained (it usually owns the control); a nil target means the first object of the
// responder chain that answers the action.

#include "platform/appkit/ns_font.h"
#include "platform/appkit/ns_view.h"
#include "platform/foundation/ns_string.h"

#include <cstdint>

// Text alignment of controls.
enum : NSInteger {
    NSTextAlignmentLeft = 0,
    NSTextAlignmentRight = 1,
    NSTextAlignmentCenter = 2,
    NSTextAlignmentJustified = 3,
    NSTextAlignmentNatural = 4,
};

class NSControl : public NSView {
  public:
    NSControl() : m_creation_serial(next_creation_serial()) {}

    NSInteger tag() const { return m_tag; }
    void setTag(NSInteger tag) { m_tag = tag; }
    id target() const { return m_target; }
    void setTarget(id target) { m_target = target; }
    SEL action() const { return m_action; }
    void setAction(SEL action) { m_action = action; }
    BOOL isEnabled() const { return m_enabled ? YES : NO; }
    void setEnabled(BOOL enabled) { m_enabled = enabled != NO; }
    // Never nil: an empty string until one is set; a nil value sets the empty string.
    NSString* stringValue() const;
    void setStringValue(NSString* value);
    // The string value read as a decimal integer (leading blanks and a sign allowed, reading
    // stops at the first other character; 0 when there are no digits; clamped to int).
    int intValue() const;
    void setIntValue(int value);
    // Never nil: the system font until one is set. Retained; nil restores the system font.
    NSFont* font() const;
    void setFont(NSFont* font);
    NSInteger alignment() const { return m_alignment; }
    void setAlignment(NSInteger alignment) { m_alignment = alignment; }
    // Ends an edit in progress; the model has no field editor, so there is never one.
    void validateEditing() {}
    // Sends through NSApp's sendAction:to:from: with the control as sender; NO without an
    // application, without an action, or when nobody answered the action.
    BOOL sendActionTo(SEL action, id target);

    // For the model: orders controls and boxes by creation, for display snapshots.
    uint64_t creation_serial() const { return m_creation_serial; }
    static uint64_t next_creation_serial();

  private:
    NSInteger m_tag = 0;
    id m_target = nullptr;
    SEL m_action = nullptr;
    bool m_enabled = true;
    NSInteger m_alignment = NSTextAlignmentNatural;
    uint64_t m_creation_serial;
    ObjcRef<NSString> m_string_value;
    ObjcRef<NSFont> m_font;
};

void register_ns_control_class();
