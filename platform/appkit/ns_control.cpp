#include "platform/appkit/ns_control.h"

#include "platform/appkit/ns_application.h"
#include "platform/objc/message_send.h"

NSString* NSControl::stringValue() const {
    if (m_string_value) return m_string_value.get();
    return NSString::make(u"").autorelease();
}

// Copied, so that a string changed later does not change the control.
void NSControl::setStringValue(NSString* value) {
    m_string_value = NSString::make(units_of(value));
}

// By message, so that an application subclass that routes actions itself is honoured.
BOOL NSControl::sendActionTo(SEL action, id target) {
    if (!action || !NSApp) return NO;
    return msg_send<BOOL>(NSApp, "sendAction:to:from:", action, target, static_cast<id>(this));
}

void register_ns_control_class() {
    register_native_class<NSControl>(
        "NSControl", "NSView",
        {
            instance_method<&NSControl::tag>("tag"),
            instance_method<&NSControl::setTag>("setTag:"),
            instance_method<&NSControl::target>("target"),
            instance_method<&NSControl::setTarget>("setTarget:"),
            instance_method<&NSControl::action>("action"),
            instance_method<&NSControl::setAction>("setAction:"),
            instance_method<&NSControl::isEnabled>("isEnabled"),
            instance_method<&NSControl::setEnabled>("setEnabled:"),
            instance_method<&NSControl::stringValue>("stringValue"),
            instance_method<&NSControl::setStringValue>("setStringValue:"),
            instance_method<&NSControl::sendActionTo>("sendAction:to:"),
        });
}
