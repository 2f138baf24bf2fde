#pragma once
// The behaviour of frame gadgets (a KX_FrameView, a box). Its text is the box's title, shown at
// the top, or no title for an empty text; its font is the title's. A container frame has an inner
// flipped view that receives gadgets while it is on the gadget-list stack.

#include "platform/appkit/ns_box.h"
#include "runtime/ui/native/kx_gadget_functions.h"

class KXFrameGadgetFunctions : public KXGadgetFunctions {
  public:
    KXFrameGadgetFunctions() = default;

    void SetGadgetText(NSString* text);
    NSString* GetGadgetText();
    NSFont* GetGadgetFont();
    void SetGadgetFont(NSFont* font);
    // Pushes the inner view of a container frame on the current gadget list; nothing otherwise.
    void OpenGadgetList(int32_t item);

    // Both borrowed: the box belongs to its superview, the inner view to the box.
    NSBox* frame() const { return m_frame; }
    void set_frame(NSBox* box) { m_frame = box; }
    NSView* container_view() const { return m_container_view; }
    void set_container_view(NSView* view) { m_container_view = view; }

  private:
    NSBox* m_frame = nullptr;
    NSView* m_container_view = nullptr;
};

// Registers the class (and its superclass) once; later calls do nothing.
void register_kx_frame_gadget_functions_class();
