#include "runtime/ui/gadgets.h"

#include "runtime/ui/gadget_records.h"

#include "platform/foundation/ns_string.h"
#include "platform/objc/message_send.h"
#include "runtime/ui/event_kinds.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/native/kx_button_gadget_functions.h"
#include "runtime/ui/native/kx_checkbox_gadget_functions.h"
#include "runtime/ui/native/kx_choice_gadget_functions.h"
#include "runtime/ui/native/kx_flipped_window_view.h"
#include "runtime/ui/native/kx_frame_gadget_functions.h"
#include "runtime/ui/native/kx_gadget_list.h"
#include "runtime/ui/native/kx_gadget_views.h"
#include "runtime/ui/native/kx_text_gadget_functions.h"

#include <string_view>
#include <vector>

namespace rt {

namespace {

ObjectTableOf<GadgetRecord, GadgetRecordSize> g_gadget_table;

void register_gadget_classes() {
    register_kx_gadget_list_class();
    register_kx_button_gadget_functions_class();
    register_kx_checkbox_gadget_functions_class();
    register_kx_choice_gadget_functions_class();
    register_kx_text_gadget_functions_class();
    register_kx_frame_gadget_functions_class();
    register_kx_gadget_view_classes();
}

ObjcRef<NSString> native_text(const TextArg& text) {
    return NSString::make(std::u16string_view(text.get() ? text.get() : u""));
}

template <class View>
ObjcRef<View> make_gadget_view(int32_t x, int32_t y, int32_t width, int32_t height) {
    ObjcRef<View> view = make_native<View>();
    if (!view) return {};
    if (!view->initWithFrame(NSMakeRect(x, y, width, height))) {
        (void)view.take(); // a failed init has released it
        return {};
    }
    return view;
}

// Alignment 1 (right) wins over 2 (centred); without either the control keeps its own.
void align(NSControl* control, int32_t flags) {
    if (flags & GadgetFlagRightAligned)
        control->setAlignment(NSTextAlignmentRight);
    else if (flags & GadgetFlagCentred)
        control->setAlignment(NSTextAlignmentCenter);
}

// Puts the view into the current gadget view, which then holds it. With no gadget list the
// record keeps the view alive until the gadget is freed.
void place(NSView* view, GadgetRecord& record) {
    if (NSView* parent = KXGadgetList::currentView(nil)) {
        parent->addSubview(view);
        return;
    }
    record.holds_view = 1;
    objc_retain(view);
}

int64_t creation_result(KXGadgetFunctions& functions, int64_t number, NSView* view) {
    if (number == AutoNumber) return functions.gadget_id();
    return reinterpret_cast<intptr_t>(view);
}

// The behaviour object could not be made: the view is the result, with no gadget behind it.
int64_t bare_view(ObjcRef<NSView> view) {
    return reinterpret_cast<intptr_t>(view.take());
}

void apply_frame_style(NSBox* box, int32_t flags) {
    if (flags == FrameStyleNoTitle || flags == 2) box->setTitlePosition(NSNoTitle);
    if (flags != FrameStyleOldStyle) return;
    box->setTitlePosition(NSNoTitle);
    box->setBoxType(NSBoxOldStyle);
    box->setBorderType(NSLineBorder);
}

// The inner view of a container frame, which takes the following gadgets.
void open_container(KX_FrameView* box, KXFrameGadgetFunctions& functions, int32_t width,
                    int32_t height) {
    ObjcRef<KX_NSFlippedView> inner = make_native<KX_NSFlippedView>();
    if (!inner) return;
    inner->initWithFrame(NSMakeRect(0, 0, width, height));
    box->addSubview(inner.get());
    functions.set_container_view(inner.get());
    // Views that always clip ignore the message.
    msg_send<void>(inner.get(), "setClipsToBounds:", YES);
    if (KXGadgetList* list = KXGadgetList::currentList(nil)) list->push(inner.get());
}

// Lets go of everything the view holds of its gadget: its target, a frame's behaviour object.
void unwire_view(NSView* view, KXGadgetFunctions* functions) {
    if (auto* control = dynamic_cast<NSControl*>(view)) {
        if (control->target() == functions) control->setTarget(nil);
    }
    if (auto* box = dynamic_cast<KX_FrameView*>(view)) box->set_functions(nullptr);
}

// Everything of a gadget but its view's place in the view tree. `view_alive` is false when the
// view itself is being deallocated and must not be sent anything.
void free_record(int64_t number, GadgetRecord& record, bool view_alive) {
    const GadgetRecord kept = record;
    RemoveEventBinding(EventKindGadget, kept.window, number, nullptr, -1);
    RemoveQueuedEvents(EventKindGadget, number, -1, -1);
    if (view_alive) {
        msg_send<void>(kept.view, "setAlreadyDestroyed:", YES);
        unwire_view(kept.view, kept.functions);
    }
    if (KXGadgetFunctions* functions = kept.functions) {
        msg_send<void>(functions, "FreeGadget");
        functions->detach();
        objc_release(functions);
    }
    g_gadget_table.release(number);
    if (kept.holds_view && view_alive) objc_release(kept.container);
}

std::vector<int64_t> gadgets_of_window(int64_t window) {
    std::vector<int64_t> numbers;
    g_gadget_table.rewind();
    ObjectNumber number = 0;
    while (GadgetRecord* record = g_gadget_table.next(&number)) {
        if (record->window == window) numbers.push_back(number);
    }
    return numbers;
}

} // namespace

ObjectTableOf<GadgetRecord, GadgetRecordSize>& gadget_table() {
    return g_gadget_table;
}

GadgetRecord* gadget_record(int64_t number) {
    return g_gadget_table.lookup(number);
}

void free_gadget_of_dying_view(int64_t number, NSView* view) {
    GadgetRecord* record = gadget_record(number);
    if (!record || record->view != view) return;
    free_record(number, *record, false);
}

// A push button and a check box are both an NSButton, of their own type and behaviour.
template <class Functions>
int64_t create_button_view(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                           TextArg text, int32_t flags, int32_t type, NSUInteger button_type) {
    if (!g_gadget_table.table()) return 0;
    ObjcRef<KX_NSButton> view = make_gadget_view<KX_NSButton>(x, y, width, height);
    if (!view) return 0;
    ObjcRef<Functions> functions = make_native<Functions>();
    if (!functions) return bare_view(std::move(view));
    if (!functions->setup(number, type, view.get(), view.get(), flags)) return 0;
    view->setTitle(native_text(text).get());
    view->setButtonType(button_type);
    if (button_type == NSButtonTypeSwitch && (flags & CheckboxFlagThreeState))
        view->setAllowsMixedState(YES);
    align(view.get(), flags);
    place(view.get(), *functions->gadget());
    return creation_result(*functions, number, view.get());
}

int InitGadgets() {
    register_gadget_classes();
    return g_gadget_table.create_once(GadgetTableGrowthStep, &FreeGadget) ? 1 : 0;
}

int64_t CreateButtonGadget(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                           TextArg text) {
    return CreateButtonGadget(number, x, y, width, height, text, 0);
}

int64_t CreateButtonGadget(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                           TextArg text, int32_t flags) {
    return create_button_view<KXButtonGadgetFunctions>(
        number, x, y, width, height, text, flags, GadgetTypeButton, NSButtonTypeMomentaryPushIn);
}

int64_t CreateCheckboxGadget(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                             TextArg text) {
    return CreateCheckboxGadget(number, x, y, width, height, text, 0);
}

int64_t CreateCheckboxGadget(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                             TextArg text, int32_t flags) {
    return create_button_view<KXCheckboxGadgetFunctions>(number, x, y, width, height, text, flags,
                                                         GadgetTypeCheckbox, NSButtonTypeSwitch);
}

int64_t CreateTextGadget(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                         TextArg text) {
    return CreateTextGadget(number, x, y, width, height, text, 0);
}

int64_t CreateTextGadget(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                         TextArg text, int32_t flags) {
    if (!g_gadget_table.table()) return 0;
    ObjcRef<KX_NSTextField> view = make_gadget_view<KX_NSTextField>(x, y, width, height);
    if (!view) return 0;
    ObjcRef<KXTextGadgetFunctions> functions = make_native<KXTextGadgetFunctions>();
    if (!functions) return bare_view(std::move(view));
    if (!functions->setup(number, GadgetTypeText, view.get(), view.get(), flags)) return 0;
    msg_send<void>(functions.get(), "SetGadgetText:", native_text(text).get());
    view->setSelectable(NO);
    view->setBezeled(NO);
    view->setBackgroundColor(NSColor::controlColor(native_class<NSColor>()));
    functions->remember_default_colors();
    if (flags & TextFlagBordered) view->setBordered(YES);
    align(view.get(), flags);
    place(view.get(), *functions->gadget());
    return creation_result(*functions, number, view.get());
}

int64_t CreateFrameGadget(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                          TextArg text) {
    return CreateFrameGadget(number, x, y, width, height, text, 0);
}

int64_t CreateFrameGadget(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                          TextArg text, int32_t flags) {
    if (!g_gadget_table.table()) return 0;
    ObjcRef<KX_FrameView> view = make_gadget_view<KX_FrameView>(x, y, width, height);
    if (!view) return 0;
    ObjcRef<KXFrameGadgetFunctions> functions = make_native<KXFrameGadgetFunctions>();
    if (!functions) return bare_view(std::move(view));
    if (!functions->setup(number, GadgetTypeFrame, view.get(), view.get(), flags)) return 0;
    functions->set_frame(view.get());
    msg_send<void>(functions.get(), "SetGadgetText:", native_text(text).get());
    apply_frame_style(view.get(), flags);
    view->set_functions(functions.get());
    place(view.get(), *functions->gadget());
    if (flags & FrameFlagContainer) open_container(view.get(), *functions, width, height);
    return creation_result(*functions, number, view.get());
}

int64_t CreateChoiceGadget(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (!g_gadget_table.table()) return 0;
    ObjcRef<KX_NSPopUpButton> view = make_gadget_view<KX_NSPopUpButton>(x, y, width, height);
    if (!view) return 0;
    ObjcRef<KXChoiceGadgetFunctions> functions = make_native<KXChoiceGadgetFunctions>();
    if (!functions) return bare_view(std::move(view));
    if (!functions->setup(number, GadgetTypeChoice, view.get(), view.get(), 0)) return 0;
    place(view.get(), *functions->gadget());
    return creation_result(*functions, number, view.get());
}

int64_t AddGadgetItem(int64_t number, int32_t position, TextArg text) {
    GadgetRecord* record = gadget_record(number);
    if (!record || !record->functions) return -1;
    // The base behaviour answers 0 for kinds without items.
    if (record->type != GadgetTypeChoice) return -1;
    return msg_send<int64_t>(record->functions, "AddGadgetItem:text:image:flags:", position,
                             native_text(text).get(), static_cast<id>(nil), int32_t{0});
}

int64_t GetGadgetState(int64_t number) {
    GadgetRecord* record = gadget_record(number);
    if (!record || !record->functions) return 0;
    return msg_send<int64_t>(record->functions, "GetGadgetState");
}

void SetGadgetState(int64_t number, int64_t state) {
    GadgetRecord* record = gadget_record(number);
    if (!record || !record->functions) return;
    msg_send<void>(record->functions, "SetGadgetState:", state);
}

void DisableGadget(int64_t number, int32_t state) {
    GadgetRecord* record = gadget_record(number);
    if (!record || !record->functions) return;
    msg_send<void>(record->functions, "DisableGadget:", state);
}

void FreeGadget(int64_t number) {
    if (number == AutoNumber) {
        g_gadget_table.free_all();
        return;
    }
    GadgetRecord* record = gadget_record(number);
    if (!record) return;
    // Held across the removal: the superview's reference may be the last, and the view must be
    // marked freed before it goes.
    ObjcRef<NSView> container = ObjcRef<NSView>::retain(record->container);
    if (container) container->removeFromSuperview();
    free_record(number, *record, true);
}

void FreeWindowGadgets(int64_t window) {
    if (!g_gadget_table.table()) return;
    for (int64_t number : gadgets_of_window(window)) {
        if (GadgetRecord* record = gadget_record(number)) free_record(number, *record, true);
    }
}

void LeaveGadgetList() {
    if (KXGadgetList* list = KXGadgetList::currentList(nil)) list->pop();
}

int RemoveGadgetBinding(int64_t number, EventCallback callback) {
    return RemoveGadgetBinding(number, callback, -1);
}

int RemoveGadgetBinding(int64_t number, EventCallback callback, int64_t subtype) {
    GadgetRecord* record = gadget_record(number);
    if (!record) return 0;
    return RemoveEventBinding(EventKindGadget, record->window, number, callback, subtype);
}

} // namespace rt
