#pragma once
// The behaviour of check-box gadgets (a KX_NSButton of the switch type). Its text is the button's
// title, as a push button's; a click that leaves a three-state box mixed turns it on, so a person's
// clicks only ever tick or clear it.

#include "runtime/ui/native/kx_button_gadget_functions.h"

class KXCheckboxGadgetFunctions : public KXButtonGadgetFunctions {
  public:
    KXCheckboxGadgetFunctions() = default;

    void EventHandler(id sender);
};

// Registers the class (and its superclass) once; later calls do nothing.
void register_kx_checkbox_gadget_functions_class();
