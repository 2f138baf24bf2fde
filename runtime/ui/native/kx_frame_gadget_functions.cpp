#include "runtime/ui/native/kx_frame_gadget_functions.h"

#include "platform/objc/message_send.h"
#include "runtime/ui/native/kx_gadget_list.h"

#include <mutex>

void KXFrameGadgetFunctions::SetGadgetText(NSString* text) {
    if (!m_frame) return;
    if (units_of(text).empty()) {
        msg_send<void>(m_frame, "setTitlePosition:", NSUInteger{NSNoTitle});
        return;
    }
    msg_send<void>(m_frame, "setTitlePosition:", NSUInteger{NSAtTop});
    msg_send<void>(m_frame, "setTitle:", text);
}

NSString* KXFrameGadgetFunctions::GetGadgetText() {
    if (!m_frame) return NSString::make(u"").autorelease();
    return msg_send<NSString*>(m_frame, "title");
}

NSFont* KXFrameGadgetFunctions::GetGadgetFont() {
    return m_frame ? msg_send<NSFont*>(m_frame, "titleFont") : nil;
}

void KXFrameGadgetFunctions::SetGadgetFont(NSFont* font) {
    if (m_frame) msg_send<void>(m_frame, "setTitleFont:", font);
}

void KXFrameGadgetFunctions::OpenGadgetList(int32_t) {
    if (!m_container_view) return;
    if (KXGadgetList* list = KXGadgetList::currentList(nil)) list->push(m_container_view);
}

void register_kx_frame_gadget_functions_class() {
    register_kx_gadget_functions_class();
    static std::once_flag once;
    std::call_once(once, [] {
        register_native_class<KXFrameGadgetFunctions>(
            "KXFrameGadgetFunctions", "KXGadgetFunctions",
            {
                instance_method<&KXFrameGadgetFunctions::SetGadgetText>("SetGadgetText:"),
                instance_method<&KXFrameGadgetFunctions::GetGadgetText>("GetGadgetText"),
                instance_method<&KXFrameGadgetFunctions::GetGadgetFont>("GetGadgetFont"),
                instance_method<&KXFrameGadgetFunctions::SetGadgetFont>("SetGadgetFont:"),
                instance_method<&KXFrameGadgetFunctions::OpenGadgetList>("OpenGadgetList:"),
            });
    });
}
