#include "runtime/ui/native/kx_text_gadget_functions.h"

#include "platform/appkit/ns_text_field.h"
#include "platform/objc/message_send.h"

#include <mutex>

namespace {

constexpr int32_t k_text_color = 1;
constexpr int32_t k_background_color = 2;

} // namespace

void KXTextGadgetFunctions::remember_default_colors() {
    NSControl* field = control();
    if (!field) return;
    m_default_background_color =
        ObjcRef<NSColor>::retain(msg_send<NSColor*>(field, "backgroundColor"));
    m_default_front_color = ObjcRef<NSColor>::retain(msg_send<NSColor*>(field, "textColor"));
}

void KXTextGadgetFunctions::SetGadgetColor(int32_t type, NSColor* color) {
    NSControl* field = control();
    if (!field) return;
    if (type == k_text_color) {
        m_front_color = ObjcRef<NSColor>::retain(color);
        NSColor* shown = color ? color : m_default_front_color.get();
        msg_send<void>(field, "setTextColor:", shown);
    } else if (type == k_background_color) {
        NSColor* shown = color ? color : m_default_background_color.get();
        msg_send<void>(field, "setBackgroundColor:", shown);
    }
}

NSColor* KXTextGadgetFunctions::GetGadgetColor(int32_t type) {
    NSControl* field = control();
    if (!field) return nil;
    if (type == k_text_color) return msg_send<NSColor*>(field, "textColor");
    if (type == k_background_color) return msg_send<NSColor*>(field, "backgroundColor");
    return nil;
}

void KXTextGadgetFunctions::DisableGadget(int32_t disable) {
    NSControl* field = control();
    if (!field) return;
    Class colors = native_class<NSColor>();
    NSColor* shown = disable != 0          ? NSColor::secondarySelectedControlColor(colors)
                     : m_front_color.get() ? m_front_color.get()
                                           : NSColor::controlTextColor(colors);
    msg_send<void>(field, "setTextColor:", shown);
}

void register_kx_text_gadget_functions_class() {
    register_kx_gadget_functions_class();
    static std::once_flag once;
    std::call_once(once, [] {
        register_native_class<KXTextGadgetFunctions>(
            "KXTextGadgetFunctions", "KXGadgetFunctions",
            {
                instance_method<&KXTextGadgetFunctions::SetGadgetColor>("SetGadgetColor:color:"),
                instance_method<&KXTextGadgetFunctions::GetGadgetColor>("GetGadgetColor:"),
                instance_method<&KXTextGadgetFunctions::DisableGadget>("DisableGadget:"),
                instance_method<&KXTextGadgetFunctions::SetGadgetState>("SetGadgetState:"),
                instance_method<&KXTextGadgetFunctions::GetGadgetState>("GetGadgetState"),
            });
    });
}
