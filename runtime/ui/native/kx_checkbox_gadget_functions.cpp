#include "runtime/ui/native/kx_checkbox_gadget_functions.h"

#include "platform/appkit/ns_button.h"
#include "platform/objc/message_send.h"

#include <mutex>

void KXCheckboxGadgetFunctions::EventHandler(id) {
    rt::GadgetRecord* record = gadget();
    auto* button = dynamic_cast<NSButton*>(view());
    if (record && button && (record->flags & rt::CheckboxFlagThreeState) &&
        msg_send<int>(button, "intValue") == NSControlStateValueMixed)
        msg_send<void>(button, "setIntValue:", int{NSControlStateValueOn});
    msg_send<void>(this, "SendEvent:", int64_t{0});
}

void register_kx_checkbox_gadget_functions_class() {
    register_kx_button_gadget_functions_class();
    static std::once_flag once;
    std::call_once(once, [] {
        register_native_class<KXCheckboxGadgetFunctions>(
            "KXCheckboxGadgetFunctions", "KXButtonGadgetFunctions",
            {
                instance_method<&KXCheckboxGadgetFunctions::EventHandler>("EventHandler:"),
            });
    });
}
