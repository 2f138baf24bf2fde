#pragma once
// NSControl: a view that a person operates, which then sends its action to its target. The target
// is not retained (it usually owns the control); a nil target means the first object of the
// responder chain that answers the action.

#include "platform/appkit/ns_view.h"
#include "platform/foundation/ns_string.h"

class NSControl : public NSView {
  public:
    NSControl() = default;

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
    // Sends through NSApp's sendAction:to:from: with the control as sender; NO without an
    // application, without an action, or when nobody answered the action.
    BOOL sendActionTo(SEL action, id target);

  private:
    NSInteger m_tag = 0;
    id m_target = nullptr;
    SEL m_action = nullptr;
    bool m_enabled = true;
    ObjcRef<NSString> m_string_value;
};

void register_ns_control_class();
