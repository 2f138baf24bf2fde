#pragma once
// NSButton: a push button with a title and a state (0 off, 1 on). Pressing it (performClick:)
// sends its action; a disabled button does nothing.

#include "platform/appkit/ns_control.h"

class NSButton : public NSControl {
  public:
    NSButton() = default;

    // Never nil: empty until a title is set; a nil title sets the empty string.
    NSString* title() const;
    void setTitle(NSString* title);
    NSInteger state() const { return m_state; }
    void setState(NSInteger state) { m_state = state; }
    void performClick(id sender);

  private:
    ObjcRef<NSString> m_title;
    NSInteger m_state = 0; // off
};

void register_ns_button_class();
