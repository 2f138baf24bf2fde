#pragma once
// NSResponder: a link in the chain that events travel along. An event method that a responder
// does not handle itself goes on, by message, to the next responder; at the end of the chain it
// is dropped.

#include "platform/objc/native_class.h"

class NSEvent;

class NSResponder : public NSObject {
  public:
    NSResponder() = default;

    // Not retained: the next responder is the owner (a superview, a window) or outlives it.
    NSResponder* nextResponder() const { return m_next_responder; }
    void setNextResponder(NSResponder* responder) { m_next_responder = responder; }

    void keyDown(NSEvent* event);
    void mouseUp(NSEvent* event);
    void rightMouseUp(NSEvent* event);

  private:
    void pass_on(const char* selector, NSEvent* event) const;

    NSResponder* m_next_responder = nullptr;
};

void register_ns_responder_class();
