#pragma once
// KXGadgetList: where new gadgets go in one window. Its top view receives them; push saves the
// top view on a stack and makes another view the top (a container frame's inner view), pop
// restores the saved one, and a pop with nothing saved makes the window's content view the top.
// One list exists per window that has been a current gadget list; the gadget-list state (made by
// InitWindows) holds the current list and all lists.
//
// Views on the list are retained, so a view freed with its gadget never leaves a dangling top;
// the window is not (its close removes its list).

#include "platform/appkit/ns_window.h"

#include <cstdint>
#include <vector>

class KXGadgetList : public NSObject {
  public:
    KXGadgetList() = default;

    // The top is the window's content view; a window without one gets a new flipped content view.
    id initWithWindow(NSWindow* window);
    NSWindow* window() const { return m_top_window; }
    NSView* top() const { return m_top_view.get(); }
    int32_t stackIndex() const { return m_stack_index; }
    int32_t stack_size() const { return m_stack_size; }
    void push(NSView* view);
    void pushNoView() { push(nil); }
    // Replaces the top without saving it.
    void set(NSView* view) { m_top_view = ObjcRef<NSView>::retain(view); }
    void pop();

    // The gadget-list state; made once by make_state (InitWindows), empty before.
    static void make_state();
    static KXGadgetList* currentList(Class self);
    static NSView* currentView(Class self);
    static NSWindow* currentWindow(Class self);
    static KXGadgetList* listFromWindow(Class self, NSWindow* window);
    // Makes the window's list current, creating it if needed; nil makes none current. Returns the
    // window of the list that was current before.
    static NSWindow* setWindow(Class self, NSWindow* window);
    static void removeWindow(Class self, NSWindow* window);

  private:
    NSWindow* m_top_window = nullptr;
    ObjcRef<NSView> m_top_view;
    std::vector<ObjcRef<NSView>> m_views; // m_stack_size entries, the first m_stack_index in use
    int32_t m_stack_size = 0;
    int32_t m_stack_index = 0;
};

// Registers the class once; later calls do nothing.
void register_kx_gadget_list_class();
