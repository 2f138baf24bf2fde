#pragma once
// KXApplication: the application object, with the standard editing keys. Command with x, c, v, z
// or a and Command+Shift+Z are sent as editing actions to the first responder before the toolkit
// sees the key; a handled action ends the key, except undo, whose key always goes on to the
// window.

#include "platform/appkit/ns_application.h"

namespace rt {

class KXApplication : public NSApplication {
  public:
    KXApplication() = default;

    void sendEvent(NSEvent* event);
};

void register_kx_application_class();

} // namespace rt
