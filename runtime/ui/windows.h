#pragma once
// Numbered windows for the program. NewWindow makes a native window (a KXWindow) with a flipped
// content view from a position and an inner size in the program's top-left coordinates, a title
// and a set of flags (window_style.h); its delegate, a KXWindowEvents, turns the window's
// notifications into runtime events. Windows live in an object table (record size 112, growth
// step 8, free procedure DisposeWindow), so re-opening a number that is in use closes the old
// window first.
//
// A window is torn down in one place whoever closes it: the delegate's windowWillClose: frees its
// output view, stops its timers, drops its queued events and releases its record. DisposeWindow
// adds what only the program's own close does: its bindings go, and the key status goes back to
// the window that was key when this one opened.
//
// A position or size of CoordinateNotGiven (-65535) is not given, everywhere here.

#include "platform/appkit/ns_geometry.h"
#include "platform/graphics/cg_bitmap_context.h"
#include "runtime/core/object_table.h"
#include "runtime/core/rt_string.h"
#include "runtime/ui/window_style.h"

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

// Start-up: registers the window classes, creates the window table (once) and makes the
// application a regular one. 1 on success, 0 when the table cannot be made.
int InitWindows();

// Opens a window. The result is the native window for a fixed number, the new number for
// AutoNumber, 0 on failure. A null title is empty; `parent` is a native window or 0. The form
// without flags opens a window with a close button.
int64_t NewWindow(int64_t number, int32_t x, int32_t y, int32_t inner_width, int32_t inner_height,
                  TextArg title);
int64_t NewWindow(int64_t number, int32_t x, int32_t y, int32_t inner_width, int32_t inner_height,
                  TextArg title, int32_t flags);
int64_t NewWindow(int64_t number, int32_t x, int32_t y, int32_t inner_width, int32_t inner_height,
                  TextArg title, int32_t flags, int64_t parent);

// Closes one window; AutoNumber closes them all. A number that names no window is ignored.
void DisposeWindow(int64_t number);

// Non-zero when the window exists.
int WindowExists(int64_t number);
// The native window, or 0.
int64_t WindowObject(int64_t number);

// The inner size in whole points; with a mode, mode 0 gives the frame's size and any other mode
// the inner size. 0 when the window does not exist.
int64_t GetWindowWidth(int64_t number);
int64_t GetWindowWidth(int64_t number, int32_t mode);
int64_t GetWindowHeight(int64_t number);
int64_t GetWindowHeight(int64_t number, int32_t mode);

// Moves and sizes the window; a new size keeps the top edge of the content in place. 1, or 0 when
// the window does not exist.
int SetWindowBounds(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height);

// Puts the window on the floating level (state non-zero) or back on the normal one. 1, or 0 when
// the window does not exist.
int KeepWindowOnTop(int64_t number, int64_t state);

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

// For the other parts of the windowing runtime: the window table (null before InitWindows) and
// the live record of a window number (null when it names no window).
ObjectTable* window_table();
WindowRecord* window_record(int64_t number);

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
