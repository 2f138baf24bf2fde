#pragma once
// KXGadgetFunctions: the behaviour object of a gadget, one per gadget, owned by its record. Every
// gadget operation is one of its methods, sent by message so that the subclass of each kind
// (check box, text, frame) answers in its own way; what a kind does not support falls back to
// the base behaviour here (nothing, 0, nil or an empty string). For controls it is also the
// view's target, with the action EventHandler:.
//
// Texts are native strings (a nil text is empty); texts answered are autoreleased, never nil.

#include "platform/appkit/ns_color.h"
#include "platform/appkit/ns_control.h"
#include "platform/appkit/ns_font.h"
#include "platform/appkit/ns_view.h"
#include "platform/foundation/ns_string.h"
#include "runtime/ui/gadget_records.h"

#include <cstdint>

class KXGadgetFunctions : public NSObject {
  public:
    KXGadgetFunctions() = default;

    // Creates the gadget's record under `number` and wires the view: tag, and for controls this
    // object as target. NO when the record cannot be made.
    BOOL setup(int64_t number, int32_t type, NSView* view, NSView* container, int32_t flags);
    // Binds this object to an existing record in place of its behaviour object.
    void reuse(rt::GadgetRecord* record, int32_t type);

    void SendEvent(int64_t subtype);
    void EventHandler(id sender);
    void FreeGadget() {}
    void ActivateGadget();
    void GadgetToolTip(NSString* text);
    void HideGadget(int32_t hide);
    void DisableGadget(int32_t disable);
    // Mode 0: in the superview; 1: on the screen, y from the main screen's top; 2: in the
    // window's content view, from its top-left corner.
    int32_t GadgetX(int32_t mode);
    int32_t GadgetY(int32_t mode);
    int32_t GadgetWidth();
    int32_t GadgetHeight();
    // A value of -65535 keeps that value.
    void ResizeGadget(int32_t x, int32_t y, int32_t width, int32_t height);
    void SetGadgetFont(NSFont* font);
    NSFont* GetGadgetFont();
    int64_t AddGadgetItem(int32_t, NSString*, id, int32_t) { return 0; }
    void RemoveGadgetItem(int32_t) {}
    void ClearGadgetItems() {}
    int64_t CountGadgetItems() { return 0; }
    void AddGadgetColumn(int32_t, NSString*, int32_t) {}
    void RemoveGadgetColumn(int32_t) {}
    void SetGadgetState(int64_t state);
    int64_t GetGadgetState();
    void SetGadgetItemState(int32_t, int64_t) {}
    int64_t GetGadgetItemState(int32_t) { return 0; }
    void SetGadgetItemImage(int32_t, id) {}
    void SetGadgetText(NSString* text);
    NSString* GetGadgetText();
    void SetGadgetItemText(int32_t, NSString*, int32_t) {}
    NSString* GetGadgetItemText(int32_t, int32_t);
    void SetGadgetAttribute(int32_t, int64_t) {}
    void SetGadgetItemAttribute(int32_t, int32_t, int64_t, int32_t) {}
    int64_t GetGadgetAttribute(int32_t) { return 0; }
    int64_t GetGadgetItemAttribute(int32_t, int32_t, int32_t) { return 0; }
    void SetGadgetColor(int32_t, NSColor*) {}
    void SetGadgetItemColor(int32_t, int32_t, NSColor*, int32_t) {}
    NSColor* GetGadgetColor(int32_t) { return nil; }
    NSColor* GetGadgetItemColor(int32_t, int32_t, int32_t) { return nil; }
    void SetGadgetItemData(int32_t, int64_t) {}
    int64_t GetGadgetItemData(int32_t) { return 0; }
    void OpenGadgetList(int32_t) {}

    int64_t gadget_id() const { return m_gadget_id; }
    rt::GadgetRecord* gadget() const { return m_gadget; }
    // Forgets the record, once it is being freed.
    void detach() { m_gadget = nullptr; }

  protected:
    NSView* view() const { return m_gadget ? m_gadget->view : nullptr; }
    NSView* container() const { return m_gadget ? m_gadget->container : nullptr; }
    // The view as a control when it is one, else null.
    NSControl* control() const;

  private:
    void wire_view(NSView* view);
    NSRect position_in_mode(int32_t mode) const;

    int64_t m_gadget_id = 0;
    rt::GadgetRecord* m_gadget = nullptr;
    BOOL m_is_ns_control = NO;
};

// Registers the class once; later calls do nothing.
void register_kx_gadget_functions_class();
