#include "runtime/ui/native/kx_button_gadget_functions.h"

#include "platform/objc/message_send.h"

#include <mutex>

void KXButtonGadgetFunctions::SetGadgetText(NSString* text) {
    if (NSControl* button = control()) msg_send<void>(button, "setTitle:", text);
}

NSString* KXButtonGadgetFunctions::GetGadgetText() {
    if (NSControl* button = control()) return msg_send<NSString*>(button, "title");
    return NSString::make(u"").autorelease();
}

void register_kx_button_gadget_functions_class() {
    register_kx_gadget_functions_class();
    static std::once_flag once;
    std::call_once(once, [] {
        register_native_class<KXButtonGadgetFunctions>(
            "KXButtonGadgetFunctions", "KXGadgetFunctions",
            {
                instance_method<&KXButtonGadgetFunctions::SetGadgetText>("SetGadgetText:"),
                instance_method<&KXButtonGadgetFunctions::GetGadgetText>("GetGadgetText"),
            });
    });
}
