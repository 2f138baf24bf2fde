#include "platform/appkit/ns_button.h"

#include "platform/objc/message_send.h"

namespace {

bool toggles(NSUInteger type) {
    return type == NSButtonTypePushOnPushOff || type == NSButtonTypeToggle ||
           type == NSButtonTypeSwitch || type == NSButtonTypeOnOff;
}

} // namespace

NSString* NSButton::title() const {
    if (m_title) return m_title.get();
    return NSString::make(u"").autorelease();
}

void NSButton::setTitle(NSString* title) {
    m_title = NSString::make(units_of(title));
}

void NSButton::setAllowsMixedState(BOOL flag) {
    m_allows_mixed = flag != NO;
    if (!m_allows_mixed && m_state == NSControlStateValueMixed) m_state = NSControlStateValueOn;
}

void NSButton::setState(NSInteger state) {
    if (state > 0) {
        m_state = NSControlStateValueOn;
    } else if (state < 0) {
        m_state = m_allows_mixed ? NSControlStateValueMixed : NSControlStateValueOn;
    } else {
        m_state = NSControlStateValueOff;
    }
}

NSInteger NSButton::nextState() const {
    if (m_type == NSButtonTypeRadio) return NSControlStateValueOn;
    if (!toggles(m_type)) return m_state;
    if (m_state == NSControlStateValueOn) return NSControlStateValueOff;
    if (m_state == NSControlStateValueOff && m_allows_mixed) return NSControlStateValueMixed;
    return NSControlStateValueOn;
}

// The state changes before the action goes out, so the target reads the new one. The action
// goes by message (sendAction:to:), so that a subclass may route it.
void NSButton::performClick(id) {
    if (!isEnabled()) return;
    m_state = nextState();
    msg_send<BOOL>(this, "sendAction:to:", action(), target());
}

void register_ns_button_class() {
    register_native_class<NSButton>(
        "NSButton", "NSControl",
        {
            instance_method<&NSButton::title>("title"),
            instance_method<&NSButton::setTitle>("setTitle:"),
            instance_method<&NSButton::buttonType>("buttonType"),
            instance_method<&NSButton::setButtonType>("setButtonType:"),
            instance_method<&NSButton::setAllowsMixedState>("setAllowsMixedState:"),
            instance_method<&NSButton::state>("state"),
            instance_method<&NSButton::setState>("setState:"),
            instance_method<&NSButton::intValue>("intValue"),
            instance_method<&NSButton::setIntValue>("setIntValue:"),
            instance_method<&NSButton::nextState>("nextState"),
            instance_method<&NSButton::cell>("cell"),
            instance_method<&NSButton::performClick>("performClick:"),
        });
}
