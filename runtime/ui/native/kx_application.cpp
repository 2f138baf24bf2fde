#include "runtime/ui/native/kx_application.h"

#include "platform/appkit/ns_event.h"
#include "platform/appkit/ns_menu.h"
#include "platform/foundation/ns_string.h"
#include "platform/objc/selector.h"
#include "runtime/ui/editing_keys.h"

#include <string>

namespace rt {

void KXApplication::sendEvent(NSEvent* event) {
    if (!event) return;
    const EditingKey* key =
        find_editing_key(static_cast<int64_t>(event->type()), event->modifierFlags(),
                         units_of(event->charactersIgnoringModifiers()));
    if (key) {
        std::string action(key->action);
        BOOL handled = sendActionToFrom(sel_registerName(action.c_str()), nil, this);
        if (handled && !key->always_passed_on) return;
    }
    NSApplication::sendEvent(event);
}

void register_kx_application_class() {
    register_native_class<KXApplication>(
        "KXApplication", "NSApplication",
        {instance_method<&KXApplication::sendEvent>("sendEvent:")});
}

} // namespace rt
