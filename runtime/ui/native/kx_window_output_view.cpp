#include "runtime/ui/native/kx_window_output_view.h"

#include "platform/objc/message_send.h"

#include <mutex>

void KXWindowOutputView::drawRect(NSRect dirty) {
    if (!m_bitmap) return;
    // By message, so that a representation subclass draws its own way.
    msg_send<BOOL>(m_bitmap.get(), "drawInRect:", dirty);
}

void register_kx_window_output_view_class() {
    static std::once_flag once;
    std::call_once(once, [] {
        register_native_class<KXWindowOutputView>(
            "KXWindowOutputView", "NSView",
            {instance_method<&KXWindowOutputView::drawRect>("drawRect:")});
    });
}
