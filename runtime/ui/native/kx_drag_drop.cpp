#include "runtime/ui/native/kx_drag_drop.h"

#include "platform/appkit/ns_image.h"
#include "platform/appkit/ns_window.h"
#include "platform/foundation/ns_array.h"
#include "platform/foundation/ns_data.h"
#include "platform/objc/message_send.h"
#include "runtime/ui/event_kinds.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/native/kx_flipped_window_view.h"
#include "runtime/ui/windows.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <string_view>

namespace {

constexpr std::u16string_view k_tiff_type = u"NSTIFFPboardType";
constexpr std::u16string_view k_files_type = u"NSFilenamesPboardType";
constexpr std::u16string_view k_string_type = u"NSStringPboardType";
constexpr std::u16string_view k_private_prefix = u"kx.private.";

NSUInteger source_mask(id sender) {
    return msg_send<NSUInteger>(sender, "draggingSourceOperationMask");
}

NSString* first_private_type(NSArray* types) {
    if (!types) return nil;
    for (NSUInteger index = 0; index < types->count(); ++index) {
        auto* type = dynamic_cast<NSString*>(types->objectAtIndex(index));
        if (type && units_of(type).starts_with(k_private_prefix)) return type;
    }
    return nil;
}

NSString* chosen_type(id pasteboard) {
    const ObjcRef<NSString> names[] = {NSString::make(k_tiff_type), NSString::make(k_files_type),
                                       NSString::make(k_string_type)};
    const id objects[] = {names[0].get(), names[1].get(), names[2].get()};
    ObjcRef<NSArray> preferred = NSArray::make(objects);
    if (auto* type = msg_send<NSString*>(
            pasteboard, "availableTypeFromArray:", static_cast<id>(preferred.get())))
        return type;
    return first_private_type(msg_send<NSArray*>(pasteboard, "types"));
}

ObjcRef<NSString> joined_paths(NSArray* paths) {
    if (!paths) return {};
    std::u16string joined;
    for (NSUInteger index = 0; index < paths->count(); ++index) {
        if (index > 0) joined += u'\n';
        joined += units_of(dynamic_cast<NSString*>(paths->objectAtIndex(index)));
    }
    return NSString::make(joined);
}

ObjcRef<> image_from(id data) {
    Class images = native_class<NSImage>();
    if (!data || !NSObject::instancesRespondToSelector(images, sel_registerName("initWithData:")))
        return {};
    return ObjcRef<>::adopt(msg_send<id>(NSObject::alloc(images), "initWithData:", data));
}

// The string's leading decimal integer (blanks and a sign allowed), 0 without digits.
int32_t integer_value(std::u16string_view text) {
    std::size_t at = text.find_first_not_of(u" \t");
    if (at == std::u16string_view::npos) return 0;
    const bool negative = text[at] == u'-';
    if (text[at] == u'-' || text[at] == u'+') ++at;
    int64_t value = 0;
    for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9' && value < INT32_MAX; ++at)
        value = value * 10 + (text[at] - u'0');
    value = std::min<int64_t>(value, INT32_MAX);
    return static_cast<int32_t>(negative ? -value : value);
}

// Fills the record's type and contents from the pasteboard; false when there is no data.
bool read_contents(rt::DropRecord& record, id pasteboard, NSString* type) {
    const std::u16string_view name = units_of(type);
    id argument = type;
    if (name == k_tiff_type) {
        ObjcRef<> image = image_from(msg_send<id>(pasteboard, "dataForType:", argument));
        record.type = rt::DropTypePicture;
        record.image = image.take();
        return record.image != nullptr;
    }
    if (name == k_files_type) {
        ObjcRef<NSString> paths = joined_paths(
            dynamic_cast<NSArray*>(msg_send<id>(pasteboard, "propertyListForType:", argument)));
        record.type = rt::DropTypeFiles;
        record.text = paths.take();
        return record.text != nullptr;
    }
    auto* string = msg_send<NSString*>(pasteboard, "stringForType:", argument);
    if (!string) return false;
    if (name == k_string_type) {
        record.type = rt::DropTypeText;
        record.text = NSString::make(units_of(string)).take();
        return true;
    }
    record.type = rt::DropTypePrivate;
    record.private_value = integer_value(units_of(string));
    return true;
}

int32_t drop_action(NSUInteger mask) {
    if (mask & NSDragOperationMove) return NSDragOperationMove;
    if (mask & NSDragOperationLink) return NSDragOperationLink;
    return NSDragOperationCopy;
}

// The dragging location is in the window's content coordinates (bottom-left); the record's is
// in the view's, y from its top.
void place_drop(rt::DropRecord& record, NSView* view, NSPoint location) {
    NSWindow* window = view ? view->window() : nullptr;
    NSView* content = window ? window->contentView() : nullptr;
    if (!content) return;
    const NSRect in_content = view->frame_in_content_top_left();
    const CGFloat from_top = content->frame().size.height - location.y;
    record.x = static_cast<int32_t>(std::trunc(location.x - in_content.origin.x));
    record.y = static_cast<int32_t>(std::trunc(from_top - in_content.origin.y));
}

NSUInteger window_dragging_entered(id self, SEL, id sender) {
    return KXDragDrop::draggingEntered(nil, static_cast<NSView*>(self), sender);
}

BOOL window_prepare_for_drag(id self, SEL, id sender) {
    return KXDragDrop::prepareForDragOperation(nil, static_cast<NSView*>(self), sender);
}

BOOL window_perform_drag(id self, SEL, id sender) {
    auto* view = dynamic_cast<KXFlippedWindowView*>(self);
    if (!view) return NO;
    return KXDragDrop::performDragOperation(nil, view, sender, -1, view->window_id());
}

template <class F>
MethodEntry plain_method(const char* selector, F function, std::string types) {
    return MethodEntry{selector, reinterpret_cast<IMP>(function), std::move(types), false, 1};
}

} // namespace

namespace rt {

void release_drop_record(void* data) {
    auto* record = static_cast<DropRecord*>(data);
    if (!record) return;
    objc_release(record->image);
    objc_release(record->text);
    std::free(record->extra);
    std::free(record);
}

} // namespace rt

NSUInteger KXDragDrop::draggingEntered(Class, NSView*, id sender) {
    const NSUInteger mask = source_mask(sender);
    for (NSUInteger operation :
         {NSDragOperationGeneric, NSDragOperationCopy, NSDragOperationMove}) {
        if (mask & operation) return operation;
    }
    return mask & NSDragOperationLink;
}

NSUInteger KXDragDrop::draggingUpdated(Class self, NSView* view, id sender) {
    return draggingEntered(self, view, sender);
}

BOOL KXDragDrop::prepareForDragOperation(Class, NSView*, id) {
    return YES;
}

BOOL KXDragDrop::performDragOperation(Class, NSView* view, id sender, int64_t gadget_id,
                                      int64_t window_id) {
    id pasteboard = msg_send<id>(sender, "draggingPasteboard");
    NSString* type = chosen_type(pasteboard);
    if (!type) return NO;
    auto* record = static_cast<rt::DropRecord*>(std::calloc(1, sizeof(rt::DropRecord)));
    if (!record) return NO;
    if (!read_contents(*record, pasteboard, type)) {
        rt::release_drop_record(record);
        return NO;
    }
    record->action = drop_action(source_mask(sender));
    place_drop(*record, view, msg_send<NSPoint>(sender, "draggingLocation"));
    if (gadget_id == -1) {
        rt::QueueEvent(rt::EventKindWindowDrop, window_id, window_id, 0, record,
                       &rt::release_drop_record);
    } else {
        rt::QueueEvent(rt::EventKindGadgetDrop, gadget_id,
                       rt::NativeWindowID(view ? view->window() : nullptr), 0, record,
                       &rt::release_drop_record);
    }
    return YES;
}

void register_kx_drag_drop_class() {
    register_kx_flipped_window_view_class();
    static std::once_flag once;
    std::call_once(once, [] {
        register_native_class<KXDragDrop>(
            "KXDragDrop", "NSObject",
            {
                class_method<&KXDragDrop::draggingEntered>("draggingEntered:sender:"),
                class_method<&KXDragDrop::draggingUpdated>("draggingUpdated:sender:"),
                class_method<&KXDragDrop::prepareForDragOperation>(
                    "prepareForDragOperation:sender:"),
                class_method<&KXDragDrop::performDragOperation>(
                    "performDragOperation:sender:gadgetId:windowId:"),
            });
        const std::string dragging = objc_method_encoding<NSUInteger, id>();
        const std::string deciding = objc_method_encoding<BOOL, id>();
        add_native_methods(
            native_class<KXFlippedWindowView>(),
            {
                plain_method("draggingEntered:", &window_dragging_entered, dragging),
                plain_method("draggingUpdated:", &window_dragging_entered, dragging),
                plain_method("prepareForDragOperation:", &window_prepare_for_drag, deciding),
                plain_method("performDragOperation:", &window_perform_drag, deciding),
            });
    });
}
