#include "runtime/ui/native/kx_gadget_views.h"

#include "platform/objc/message_send.h"
#include "runtime/ui/gadget_records.h"
#include "runtime/ui/native/kx_frame_gadget_functions.h"

#include <mutex>

template <class Base>
void KXGadgetView<Base>::free_gadget_if_alive() {
    if (m_already_destroyed) return;
    m_already_destroyed = true;
    rt::free_gadget_of_dying_view(m_kx_tag, this);
}

template class KXGadgetView<NSButton>;
template class KXGadgetView<NSPopUpButton>;
template class KXGadgetView<NSTextField>;
template class KXGadgetView<NSBox>;

void KX_FrameView::setFrame(NSRect frame) {
    const NSSize old_size = this->frame().size;
    NSBox::setFrame(frame);
    if (!m_functions || frame.size == old_size) return;
    if (NSView* inner = m_functions->container_view())
        inner->setFrame(NSMakeRect(0, 0, frame.size.width, frame.size.height));
}

namespace {

template <class View>
void register_gadget_view(const char* name, const char* superclass) {
    register_native_class<View>(
        name, superclass,
        {
            instance_method<&View::setTag>("setTag:"),
            instance_method<&View::setAlreadyDestroyed>("setAlreadyDestroyed:"),
            instance_method<&View::tag>("tag"),
            instance_method<&View::finalize>("finalize"),
        });
}

} // namespace

void register_kx_gadget_view_classes() {
    static std::once_flag once;
    std::call_once(once, [] {
        register_gadget_view<KX_NSButton>("KX_NSButton", "NSButton");
        register_gadget_view<KX_NSPopUpButton>("KX_NSPopUpButton", "NSPopUpButton");
        register_gadget_view<KX_NSTextField>("KX_NSTextField", "NSTextField");
        register_gadget_view<KX_FrameView>("KX_FrameView", "NSBox");
        add_native_methods(native_class<KX_FrameView>(),
                           {instance_method<&KX_FrameView::setFrame>("setFrame:")});
    });
}
