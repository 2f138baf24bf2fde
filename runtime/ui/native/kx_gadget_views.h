#pragma once
// The views of gadgets: KX_NSButton (check boxes and push buttons), KX_NSPopUpButton (choices),
// KX_NSTextField (labels) and KX_FrameView (frames). Each keeps its gadget number as its own tag
// and a mark that its gadget was freed. When the toolkit lets such a view go while its gadget still
// exists (its window closed by itself), the view frees the gadget first.

#include "platform/appkit/ns_box.h"
#include "platform/appkit/ns_button.h"
#include "platform/appkit/ns_pop_up_button.h"
#include "platform/appkit/ns_text_field.h"

#include <cstdint>

class KXFrameGadgetFunctions;

// The state and methods every gadget view adds to its platform class.
template <class Base>
class KXGadgetView : public Base {
  public:
    KXGadgetView() = default;
    ~KXGadgetView() override { free_gadget_if_alive(); }

    void setTag(NSInteger tag) { m_kx_tag = tag; }
    void setAlreadyDestroyed(BOOL flag) { m_already_destroyed = flag != NO; }
    NSInteger tag() const { return m_kx_tag; }
    BOOL already_destroyed() const { return m_already_destroyed ? YES : NO; }
    // Frees the gadget as the deallocation would, for a toolkit that finalises instead.
    void finalize() { free_gadget_if_alive(); }

  private:
    void free_gadget_if_alive();

    NSInteger m_kx_tag = 0;
    bool m_already_destroyed = false;
};

extern template class KXGadgetView<NSButton>;
extern template class KXGadgetView<NSPopUpButton>;
extern template class KXGadgetView<NSTextField>;
extern template class KXGadgetView<NSBox>;

class KX_NSButton : public KXGadgetView<NSButton> {
  public:
    KX_NSButton() = default;
};

class KX_NSPopUpButton : public KXGadgetView<NSPopUpButton> {
  public:
    KX_NSPopUpButton() = default;
};

class KX_NSTextField : public KXGadgetView<NSTextField> {
  public:
    KX_NSTextField() = default;
};

class KX_FrameView : public KXGadgetView<NSBox> {
  public:
    KX_FrameView() = default;

    // Borrowed: the gadget's record owns it; cleared when the gadget is freed.
    KXFrameGadgetFunctions* functions() const { return m_functions; }
    void set_functions(KXFrameGadgetFunctions* functions) { m_functions = functions; }
    // A container frame's inner view follows a new size.
    void setFrame(NSRect frame);

  private:
    KXFrameGadgetFunctions* m_functions = nullptr;
};

// Register the classes once; later calls do nothing.
void register_kx_gadget_view_classes();
