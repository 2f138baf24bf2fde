#pragma once
// The behaviour of push-button gadgets (a KX_NSButton of the momentary push type), and the base
// of check boxes: a button's text is its title. A press is one EventKindGadget event.

#include "runtime/ui/native/kx_gadget_functions.h"

class KXButtonGadgetFunctions : public KXGadgetFunctions {
  public:
    KXButtonGadgetFunctions() = default;

    void SetGadgetText(NSString* text);
    NSString* GetGadgetText();
};

// Registers the class (and its superclass) once; later calls do nothing.
void register_kx_button_gadget_functions_class();
