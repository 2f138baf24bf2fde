#pragma once
// KXDragDrop: what gadget views and window content views do with a drag. A drag is accepted with
// the first operation its source allows among generic, copy and move (else link, else none); a
// drop takes the first pasteboard type it knows (TIFF image, file names, string, then a
// "kx.private." type) and posts it as EventKindGadgetDrop (a gadget's view) or EventKindWindowDrop
// (a window's content view), with a DropRecord as the event's data.
//
// The sender is anything that answers the dragging-info messages (draggingSourceOperationMask,
// draggingPasteboard, draggingLocation); the pasteboard, anything that answers types,
// availableTypeFromArray:, dataForType:, stringForType: and propertyListForType:.

#include "platform/appkit/ns_view.h"
#include "platform/foundation/ns_string.h"

#include <cstdint>

enum : NSUInteger {
    NSDragOperationNone = 0,
    NSDragOperationCopy = 1,
    NSDragOperationLink = 2,
    NSDragOperationGeneric = 4,
    NSDragOperationMove = 16,
};

namespace rt {

// Four-character codes, the first character in the high byte.
constexpr int32_t four_char_code(const char (&code)[5]) {
    return static_cast<int32_t>(
        static_cast<uint32_t>(code[0]) << 24 | static_cast<uint32_t>(code[1]) << 16 |
        static_cast<uint32_t>(code[2]) << 8 | static_cast<uint32_t>(code[3]));
}
inline constexpr int32_t DropTypeText = four_char_code("TEXT");
inline constexpr int32_t DropTypePicture = four_char_code("PICT");
inline constexpr int32_t DropTypeFiles = four_char_code("hfs ");
inline constexpr int32_t DropTypePrivate = four_char_code("kxpd");

// The data of a drop event, made by the runtime and released (release_drop_record) at the next
// event take.
struct DropRecord {
    int32_t type;
    int32_t private_value; // 'kxpd': the private string's integer value
    int32_t action;        // 16 move, 2 link, else 1 copy: what the source allows
    int32_t x;             // in the view, truncated
    int32_t y;             // from the view's top
    NSString* text;        // owned; 'TEXT' the string, 'hfs ' the paths joined by "\n"
    id image;              // owned; 'PICT' an image made from the TIFF data
    void* extra;           // freed when set
};

void release_drop_record(void* record);

} // namespace rt

class KXDragDrop : public NSObject {
  public:
    static NSUInteger draggingEntered(Class self, NSView* view, id sender);
    static NSUInteger draggingUpdated(Class self, NSView* view, id sender);
    static BOOL prepareForDragOperation(Class self, NSView* view, id sender);
    // Gadget number -1: a drop on the content view of window `window_id`.
    static BOOL performDragOperation(Class self, NSView* view, id sender, int64_t gadget_id,
                                     int64_t window_id);
};

// Registers the class once, and gives the runtime's window content view its dragging methods.
void register_kx_drag_drop_class();
