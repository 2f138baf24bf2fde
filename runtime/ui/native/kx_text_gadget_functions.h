#pragma once
// The behaviour of text-label gadgets (a KX_NSTextField). A label has no state; its text and
// background colours can be set and restored, and disabling it greys its text instead of
// disabling the field.

#include "runtime/ui/native/kx_gadget_functions.h"

class KXTextGadgetFunctions : public KXGadgetFunctions {
  public:
    KXTextGadgetFunctions() = default;

    // Colour type 1 is the text, 2 the background; a nil colour restores the default.
    void SetGadgetColor(int32_t type, NSColor* color);
    NSColor* GetGadgetColor(int32_t type);
    void DisableGadget(int32_t disable);
    void SetGadgetState(int64_t) {}
    int64_t GetGadgetState() { return 0; }

    // Remembers the label's colours as they are after creation (retained).
    void remember_default_colors();

  private:
    ObjcRef<NSColor> m_front_color; // set by the program
    ObjcRef<NSColor> m_default_background_color;
    ObjcRef<NSColor> m_default_front_color;
};

// Registers the class (and its superclass) once; later calls do nothing.
void register_kx_text_gadget_functions_class();
