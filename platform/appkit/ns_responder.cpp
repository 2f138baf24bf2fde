#include "platform/appkit/ns_responder.h"

#include "platform/appkit/ns_event.h"
#include "platform/objc/message_send.h"

void NSResponder::keyDown(NSEvent* event) {
    pass_on("keyDown:", event);
}

void NSResponder::mouseUp(NSEvent* event) {
    pass_on("mouseUp:", event);
}

void NSResponder::rightMouseUp(NSEvent* event) {
    pass_on("rightMouseUp:", event);
}

// By message, so that a next responder made at run time handles the event itself.
void NSResponder::pass_on(const char* selector, NSEvent* event) const {
    if (!m_next_responder) return;
    msg_send<void>(m_next_responder, selector, static_cast<id>(event));
}

void register_ns_responder_class() {
    register_native_class<NSResponder>(
        "NSResponder", "NSObject",
        {
            instance_method<&NSResponder::nextResponder>("nextResponder"),
            instance_method<&NSResponder::setNextResponder>("setNextResponder:"),
            instance_method<&NSResponder::keyDown>("keyDown:"),
            instance_method<&NSResponder::mouseUp>("mouseUp:"),
            instance_method<&NSResponder::rightMouseUp>("rightMouseUp:"),
        });
}
