#pragma once
// NSButton: a button with a title, a type and a state (0 off, 1 on, -1 mixed). Pressing it
// (performClick:) moves a toggling button to its next state and sends its action; a disabled
// button does nothing. The model has no separate cell object: a button is its own cell.

#include "platform/appkit/ns_control.h"

enum : NSUInteger {
    NSButtonTypeMomentaryLight = 0,
    NSButtonTypePushOnPushOff = 1,
    NSButtonTypeToggle = 2,
    NSButtonTypeSwitch = 3,
    NSButtonTypeRadio = 4,
    NSButtonTypeMomentaryChange = 5,
    NSButtonTypeOnOff = 6,
    NSButtonTypeMomentaryPushIn = 7,
};
enum : NSInteger {
    NSControlStateValueMixed = -1,
    NSControlStateValueOff = 0,
    NSControlStateValueOn = 1
};

class NSButton : public NSControl {
  public:
    NSButton() = default;

    // Never nil: empty until a title is set; a nil title sets the empty string.
    NSString* title() const;
    void setTitle(NSString* title);
    NSUInteger buttonType() const { return m_type; }
    void setButtonType(NSUInteger type) { m_type = type; }
    // Turning the mixed state off turns a mixed button on.
    void setAllowsMixedState(BOOL flag);
    NSInteger state() const { return m_state; }
    // Any positive value is on; a negative one is mixed when the button allows it, else on.
    void setState(NSInteger state);
    // The state, as every control answers its value.
    int intValue() const { return static_cast<int>(m_state); }
    void setIntValue(int value) { setState(value); }
    // The state a click leads to: toggling types cycle off → on → off, or with the mixed state
    // allowed on → off → mixed → on; radio buttons go on; momentary types keep their state.
    NSInteger nextState() const;
    id cell() { return this; }
    void performClick(id sender);

  private:
    ObjcRef<NSString> m_title;
    NSUInteger m_type = NSButtonTypeMomentaryPushIn;
    NSInteger m_state = NSControlStateValueOff;
    bool m_allows_mixed = false;
};

void register_ns_button_class();
