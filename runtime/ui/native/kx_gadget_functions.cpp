#include "runtime/ui/native/kx_gadget_functions.h"

#include "platform/appkit/ns_window.h"
#include "platform/objc/message_send.h"
#include "runtime/ui/event_kinds.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/native/kx_gadget_list.h"
#include "runtime/ui/screen_coordinates.h"
#include "runtime/ui/window_records.h"

#include <cmath>
#include <mutex>

namespace {

int32_t whole(CGFloat value) {
    return static_cast<int32_t>(std::trunc(value));
}

CGFloat kept_or(int32_t value, CGFloat current) {
    return value == rt::CoordinateNotGiven ? current : value;
}

} // namespace

BOOL KXGadgetFunctions::setup(int64_t number, int32_t type, NSView* view, NSView* container,
                              int32_t flags) {
    rt::GadgetRecord* record = rt::gadget_table().allocate(number);
    if (!record) return NO;
    m_gadget = record;
    m_gadget_id = number == rt::AutoNumber ? reinterpret_cast<intptr_t>(record) : number;
    m_is_ns_control = dynamic_cast<NSControl*>(view) ? YES : NO;
    record->view = view;
    record->container = container;
    record->functions = this;
    retain();
    record->type = type;
    record->flags = flags;
    record->window = rt::NativeWindowID(KXGadgetList::currentWindow(nil));
    wire_view(view);
    return YES;
}

void KXGadgetFunctions::reuse(rt::GadgetRecord* record, int32_t type) {
    if (!record) return;
    ObjcRef<KXGadgetFunctions> old = ObjcRef<KXGadgetFunctions>::adopt(record->functions);
    if (old) old->detach();
    record->functions = this;
    retain();
    record->type = type;
    m_gadget = record;
    m_gadget_id = msg_send<NSInteger>(record->view, "tag");
    m_is_ns_control = dynamic_cast<NSControl*>(record->view) ? YES : NO;
    if (NSControl* target = control()) {
        target->setTarget(this);
        target->setAction(sel_registerName("EventHandler:"));
    }
}

// The tag goes by message: the KX_ views keep it in their own variable.
void KXGadgetFunctions::wire_view(NSView* view) {
    msg_send<void>(view, "setTag:", static_cast<NSInteger>(m_gadget_id));
    if (NSControl* target = control()) {
        target->setTarget(this);
        target->setAction(sel_registerName("EventHandler:"));
    }
}

NSControl* KXGadgetFunctions::control() const {
    if (!m_is_ns_control) return nullptr;
    return static_cast<NSControl*>(view());
}

void KXGadgetFunctions::SendEvent(int64_t subtype) {
    if (!m_gadget) return;
    rt::QueueEvent(rt::EventKindGadget, m_gadget_id, m_gadget->window, subtype);
}

void KXGadgetFunctions::EventHandler(id) {
    msg_send<void>(this, "SendEvent:", int64_t{0});
}

void KXGadgetFunctions::ActivateGadget() {
    NSView* target = view();
    NSWindow* window = target ? target->window() : nullptr;
    if (!window) return;
    window->makeKeyWindow();
    window->makeFirstResponder(target);
}

// Views that keep no tool tip ignore the message.
void KXGadgetFunctions::GadgetToolTip(NSString* text) {
    msg_send<void>(view(), "setToolTip:", static_cast<id>(text));
}

void KXGadgetFunctions::HideGadget(int32_t hide) {
    if (NSView* outer = container()) outer->setHidden(hide != 0 ? YES : NO);
}

void KXGadgetFunctions::DisableGadget(int32_t disable) {
    NSControl* target = control();
    if (!target) return;
    msg_send<void>(target, "validateEditing");
    msg_send<void>(target, "setEnabled:", disable != 0 ? NO : YES);
}

// Modes 1 and 2 need the window; without one they answer the frame in the superview.
NSRect KXGadgetFunctions::position_in_mode(int32_t mode) const {
    NSView* outer = container();
    if (!outer) return {};
    NSWindow* window = outer->window();
    if (mode == 0 || !window) return outer->frame();
    NSRect in_content = outer->frame_in_content_top_left();
    if (mode != 1) return in_content;
    const NSRect content = window->contentRectForFrameRect(window->frame());
    const CGFloat content_top = rt::main_screen_height() - (content.origin.y + content.size.height);
    in_content.origin.x += content.origin.x;
    in_content.origin.y += content_top;
    return in_content;
}

int32_t KXGadgetFunctions::GadgetX(int32_t mode) {
    return whole(position_in_mode(mode).origin.x);
}

int32_t KXGadgetFunctions::GadgetY(int32_t mode) {
    return whole(position_in_mode(mode).origin.y);
}

int32_t KXGadgetFunctions::GadgetWidth() {
    NSView* outer = container();
    return outer ? whole(outer->frame().size.width) : 0;
}

int32_t KXGadgetFunctions::GadgetHeight() {
    NSView* outer = container();
    return outer ? whole(outer->frame().size.height) : 0;
}

void KXGadgetFunctions::ResizeGadget(int32_t x, int32_t y, int32_t width, int32_t height) {
    NSView* outer = container();
    if (!outer) return;
    const NSRect frame = outer->frame();
    const NSRect resized =
        NSMakeRect(kept_or(x, frame.origin.x), kept_or(y, frame.origin.y),
                   kept_or(width, frame.size.width), kept_or(height, frame.size.height));
    // By message, so that a frame view resizes its inner view too.
    msg_send<void>(outer, "setFrame:", resized);
    outer->setNeedsDisplay(YES);
}

void KXGadgetFunctions::SetGadgetFont(NSFont* font) {
    if (NSControl* target = control()) msg_send<void>(target, "setFont:", font);
}

NSFont* KXGadgetFunctions::GetGadgetFont() {
    NSControl* target = control();
    return target ? msg_send<NSFont*>(target, "font") : nil;
}

void KXGadgetFunctions::SetGadgetState(int64_t state) {
    if (NSControl* target = control())
        msg_send<void>(target, "setIntValue:", static_cast<int>(state));
}

int64_t KXGadgetFunctions::GetGadgetState() {
    NSControl* target = control();
    return target ? int64_t{msg_send<int>(target, "intValue")} : 0;
}

void KXGadgetFunctions::SetGadgetText(NSString* text) {
    if (NSControl* target = control()) msg_send<void>(target, "setStringValue:", text);
}

NSString* KXGadgetFunctions::GetGadgetText() {
    if (NSControl* target = control()) return msg_send<NSString*>(target, "stringValue");
    return NSString::make(u"").autorelease();
}

NSString* KXGadgetFunctions::GetGadgetItemText(int32_t, int32_t) {
    return NSString::make(u"").autorelease();
}

void register_kx_gadget_functions_class() {
    static std::once_flag once;
    std::call_once(once, [] {
        register_native_class<KXGadgetFunctions>(
            "KXGadgetFunctions", "NSObject",
            {
                instance_method<&KXGadgetFunctions::setup>("setup:type:view:container:flags:"),
                instance_method<&KXGadgetFunctions::reuse>("reuse:type:"),
                instance_method<&KXGadgetFunctions::SendEvent>("SendEvent:"),
                instance_method<&KXGadgetFunctions::EventHandler>("EventHandler:"),
                instance_method<&KXGadgetFunctions::FreeGadget>("FreeGadget"),
                instance_method<&KXGadgetFunctions::ActivateGadget>("ActivateGadget"),
                instance_method<&KXGadgetFunctions::GadgetToolTip>("GadgetToolTip:"),
                instance_method<&KXGadgetFunctions::HideGadget>("HideGadget:"),
                instance_method<&KXGadgetFunctions::DisableGadget>("DisableGadget:"),
                instance_method<&KXGadgetFunctions::GadgetX>("GadgetX:"),
                instance_method<&KXGadgetFunctions::GadgetY>("GadgetY:"),
                instance_method<&KXGadgetFunctions::GadgetWidth>("GadgetWidth"),
                instance_method<&KXGadgetFunctions::GadgetHeight>("GadgetHeight"),
                instance_method<&KXGadgetFunctions::ResizeGadget>("ResizeGadget:y:width:height:"),
                instance_method<&KXGadgetFunctions::SetGadgetFont>("SetGadgetFont:"),
                instance_method<&KXGadgetFunctions::GetGadgetFont>("GetGadgetFont"),
                instance_method<&KXGadgetFunctions::AddGadgetItem>(
                    "AddGadgetItem:text:image:flags:"),
                instance_method<&KXGadgetFunctions::RemoveGadgetItem>("RemoveGadgetItem:"),
                instance_method<&KXGadgetFunctions::ClearGadgetItems>("ClearGadgetItems"),
                instance_method<&KXGadgetFunctions::CountGadgetItems>("CountGadgetItems"),
                instance_method<&KXGadgetFunctions::AddGadgetColumn>(
                    "AddGadgetColumn:title:width:"),
                instance_method<&KXGadgetFunctions::RemoveGadgetColumn>("RemoveGadgetColumn:"),
                instance_method<&KXGadgetFunctions::SetGadgetState>("SetGadgetState:"),
                instance_method<&KXGadgetFunctions::GetGadgetState>("GetGadgetState"),
                instance_method<&KXGadgetFunctions::SetGadgetItemState>(
                    "SetGadgetItemState:state:"),
                instance_method<&KXGadgetFunctions::GetGadgetItemState>("GetGadgetItemState:"),
                instance_method<&KXGadgetFunctions::SetGadgetItemImage>(
                    "SetGadgetItemImage:image:"),
                instance_method<&KXGadgetFunctions::SetGadgetText>("SetGadgetText:"),
                instance_method<&KXGadgetFunctions::GetGadgetText>("GetGadgetText"),
                instance_method<&KXGadgetFunctions::SetGadgetItemText>(
                    "SetGadgetItemText:text:column:"),
                instance_method<&KXGadgetFunctions::GetGadgetItemText>("GetGadgetItemText:column:"),
                instance_method<&KXGadgetFunctions::SetGadgetAttribute>(
                    "SetGadgetAttribute:value:"),
                instance_method<&KXGadgetFunctions::SetGadgetItemAttribute>(
                    "SetGadgetItemAttribute:attribute:value:column:"),
                instance_method<&KXGadgetFunctions::GetGadgetAttribute>("GetGadgetAttribute:"),
                instance_method<&KXGadgetFunctions::GetGadgetItemAttribute>(
                    "GetGadgetItemAttribute:attribute:column:"),
                instance_method<&KXGadgetFunctions::SetGadgetColor>("SetGadgetColor:color:"),
                instance_method<&KXGadgetFunctions::SetGadgetItemColor>(
                    "SetGadgetItemColor:type:color:column:"),
                instance_method<&KXGadgetFunctions::GetGadgetColor>("GetGadgetColor:"),
                instance_method<&KXGadgetFunctions::GetGadgetItemColor>(
                    "GetGadgetItemColor:type:column:"),
                instance_method<&KXGadgetFunctions::SetGadgetItemData>("SetGadgetItemData:value:"),
                instance_method<&KXGadgetFunctions::GetGadgetItemData>("GetGadgetItemData:"),
                instance_method<&KXGadgetFunctions::OpenGadgetList>("OpenGadgetList:"),
            });
    });
}
