#pragma once
// The window records and what the windowing runtime's own files share about them: the record
// layout, the table, the native window's number, direct output into a window and the
// conversions between the window system's rectangles and the runtime's. Programs use windows.h.

#include "platform/appkit/ns_geometry.h"
#include "platform/graphics/cg_bitmap_context.h"
#include "runtime/ui/windows.h"

#include <cstdint>

class KXWindow;
class KXWindowEvents;
class KXWindowOutputView;
class NSMutableArray;
class NSWindow;

namespace rt {

// One window's record in the window table. It is plain memory that the table zeroes when the
// window closes, so it holds raw pointers; the owned ones are released by the close.
struct WindowRecord {
    KXWindow* window;          // the liveness mark; owned, released by the window's close
    NSWindow* parent;          // borrowed
    KXWindowEvents* events;    // owned; the delegate releases itself at close
    NSMutableArray* timers;    // owned; the window's native timers, made by the first timer
    NSMutableArray* shortcuts; // owned; the window's shortcuts, made by the first shortcut
    int64_t disabled;          // non-zero: the window refuses key and main status
    NSWindow* previous_key;    // borrowed; the key window when this one opened
    double minimum_width;
    double minimum_height;
    double maximum_width;
    double maximum_height;
    KXWindowOutputView* output_view; // owned
    unsigned char* output_pixels;    // owned (malloc), the output view's buffer
};

inline constexpr uint32_t WindowRecordSize = 112;
inline constexpr int32_t WindowTableGrowthStep = 8;
static_assert(sizeof(WindowRecord) <= WindowRecordSize);

// The window number kept by a runtime window's delegate; -1 for nil, a window without a delegate
// or with a delegate that is not the runtime's.
int64_t NativeWindowID(NSWindow* window);

// Direct drawing into a window: a bitmap context of width × height pixels (8-bit RGBA,
// premultiplied alpha last) over a buffer that a view on top of the content view shows. The
// caller releases the context with CGContextRelease; the buffer stays the window's until
// CloseWindowOutput or the window's close. A repeated open of the same size clears the buffer.
// Null for a null record, a size below 1, or when memory runs out.
CGContextRef OpenWindowOutput(WindowRecord* record, int32_t width, int32_t height);
// Removes the output view and frees its buffer; contexts over the buffer must not be used after.
void CloseWindowOutput(WindowRecord* record);

// For the other parts of the windowing runtime: the live record of a window number (null when it
// names no window).
WindowRecord* window_record(int64_t number);
// The one teardown of a window's record, whoever closes the window (the delegate's
// windowWillClose: calls it): its output view and buffer, timers and shortcuts go, its gadget
// list is removed, its queued events are dropped and its number is released. Also for a number
// without a record, whose queued events still go.
void release_window_record(int64_t number);

// The main screen's height in points; 0 without a main screen.
double main_screen_height();

// The window system's rectangles and the runtime's.
constexpr Rect rect_from(const NSRect& rect) {
    return {rect.origin.x, rect.origin.y, rect.size.width, rect.size.height};
}
constexpr NSRect ns_rect_from(const Rect& rect) {
    return NSMakeRect(rect.x, rect.y, rect.width, rect.height);
}

} // namespace rt
