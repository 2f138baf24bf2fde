#pragma once
// The behaviour of pop-up choice gadgets (a KX_NSPopUpButton). Its state is the selected item's
// index (-1 for none), its text the selected item's title; a person's choice is one
// EventKindGadget event.

#include "runtime/ui/native/kx_gadget_functions.h"

class KXChoiceGadgetFunctions : public KXGadgetFunctions {
  public:
    KXChoiceGadgetFunctions() = default;

    // Position -1 (or any past the end) appends; the result is the new item's index.
    int64_t AddGadgetItem(int32_t position, NSString* text, id image, int32_t flags);
    void RemoveGadgetItem(int32_t position);
    void ClearGadgetItems();
    int64_t CountGadgetItems();
    void SetGadgetState(int64_t state);
    int64_t GetGadgetState();
    NSString* GetGadgetText();
    NSString* GetGadgetItemText(int32_t position, int32_t column);
};

// Registers the class (and its superclass) once; later calls do nothing.
void register_kx_choice_gadget_functions_class();
