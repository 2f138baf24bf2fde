#include "platform/appkit/ns_button.h"

#include "platform/objc/message_send.h"

NSString* NSButton::title() const {
    if (m_title) return m_title.get();
    return NSString::make(u"").autorelease();
}

void NSButton::setTitle(NSString* title) {
    m_title = NSString::make(units_of(title));
}

// The action goes by message (sendAction:to:), so that a subclass may route it.
void NSButton::performClick(id) {
    if (!isEnabled()) return;
    msg_send<BOOL>(this, "sendAction:to:", action(), target());
}

void register_ns_button_class() {
    register_native_class<NSButton>("NSButton", "NSControl",
                                    {
                                        instance_method<&NSButton::title>("title"),
                                        instance_method<&NSButton::setTitle>("setTitle:"),
                                        instance_method<&NSButton::state>("state"),
                                        instance_method<&NSButton::setState>("setState:"),
                                        instance_method<&NSButton::performClick>("performClick:"),
                                    });
}
