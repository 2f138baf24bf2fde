#include "runtime/ui/native/kx_gadget_list.h"

#include "platform/objc/message_send.h"
#include "runtime/ui/native/kx_flipped_window_view.h"

#include <algorithm>
#include <mutex>

namespace {

constexpr int32_t k_stack_step = 10;
constexpr std::size_t k_initial_list_capacity = 5;

struct GadgetListState {
    KXGadgetList* current = nullptr; // one of `lists`
    std::vector<ObjcRef<KXGadgetList>> lists;
};

// Made once and kept for the life of the process, like the windows it serves.
GadgetListState*& state() {
    static GadgetListState* s_state = nullptr;
    return s_state;
}

ObjcRef<NSView> new_flipped_content_view(NSWindow* window) {
    ObjcRef<KX_NSFlippedView> view = make_native<KX_NSFlippedView>();
    if (!view) return {};
    view->initWithFrame(NSRect{});
    window->setContentView(view.get());
    return ObjcRef<NSView>::retain(view.get());
}

} // namespace

id KXGadgetList::initWithWindow(NSWindow* window) {
    m_top_window = window;
    if (window) {
        NSView* content = window->contentView();
        m_top_view = content ? ObjcRef<NSView>::retain(content) : new_flipped_content_view(window);
    }
    m_views.resize(k_stack_step);
    m_stack_size = k_stack_step;
    m_stack_index = 0;
    return this;
}

void KXGadgetList::push(NSView* view) {
    if (m_stack_index >= m_stack_size) {
        m_stack_size += k_stack_step;
        m_views.resize(static_cast<std::size_t>(m_stack_size));
    }
    m_views[static_cast<std::size_t>(m_stack_index++)] = std::move(m_top_view);
    m_top_view = ObjcRef<NSView>::retain(view);
}

void KXGadgetList::pop() {
    if (m_stack_index < 1) {
        m_stack_index = 0;
        m_top_view = ObjcRef<NSView>::retain(m_top_window ? m_top_window->contentView() : nil);
        return;
    }
    m_top_view = std::move(m_views[static_cast<std::size_t>(--m_stack_index)]);
}

void KXGadgetList::make_state() {
    if (state()) return;
    state() = new GadgetListState;
    state()->lists.reserve(k_initial_list_capacity);
}

KXGadgetList* KXGadgetList::currentList(Class) {
    return state() ? state()->current : nullptr;
}

NSView* KXGadgetList::currentView(Class) {
    KXGadgetList* list = currentList(nil);
    return list ? list->top() : nullptr;
}

NSWindow* KXGadgetList::currentWindow(Class) {
    KXGadgetList* list = currentList(nil);
    return list ? list->window() : nullptr;
}

KXGadgetList* KXGadgetList::listFromWindow(Class, NSWindow* window) {
    if (!state() || !window) return nullptr;
    for (const ObjcRef<KXGadgetList>& list : state()->lists) {
        if (list->window() == window) return list.get();
    }
    return nullptr;
}

NSWindow* KXGadgetList::setWindow(Class, NSWindow* window) {
    NSWindow* previous = currentWindow(nil);
    if (!state() || !window) return previous;
    KXGadgetList* list = listFromWindow(nil, window);
    if (!list) {
        ObjcRef<KXGadgetList> made = make_native<KXGadgetList>();
        if (!made) return previous;
        made->initWithWindow(window);
        list = made.get();
        state()->lists.push_back(std::move(made));
    }
    state()->current = list;
    return previous;
}

void KXGadgetList::removeWindow(Class, NSWindow* window) {
    KXGadgetList* list = listFromWindow(nil, window);
    if (!list) return;
    if (state()->current == list) state()->current = nullptr;
    auto& lists = state()->lists;
    lists.erase(
        std::find_if(lists.begin(), lists.end(),
                     [list](const ObjcRef<KXGadgetList>& entry) { return entry.get() == list; }));
}

void register_kx_gadget_list_class() {
    register_kx_ns_flipped_view_class();
    static std::once_flag once;
    std::call_once(once, [] {
        register_native_class<KXGadgetList>(
            "KXGadgetList", "NSObject",
            {
                instance_method<&KXGadgetList::initWithWindow>("initWithWindow:"),
                instance_method<&KXGadgetList::window>("window"),
                instance_method<&KXGadgetList::top>("top"),
                instance_method<&KXGadgetList::stackIndex>("stackIndex"),
                instance_method<&KXGadgetList::push>("push:"),
                instance_method<&KXGadgetList::pushNoView>("pushNoView"),
                instance_method<&KXGadgetList::set>("set:"),
                instance_method<&KXGadgetList::pop>("pop"),
                class_method<&KXGadgetList::currentList>("currentList"),
                class_method<&KXGadgetList::currentView>("currentView"),
                class_method<&KXGadgetList::currentWindow>("currentWindow"),
                class_method<&KXGadgetList::listFromWindow>("listFromWindow:"),
                class_method<&KXGadgetList::setWindow>("setWindow:"),
                class_method<&KXGadgetList::removeWindow>("removeWindow:"),
            });
    });
}
