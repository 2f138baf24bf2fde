#pragma once
// Numbered windows for the program. NewWindow makes a native window (a KXWindow) with a flipped
// content view from a position and an inner size in the program's top-left coordinates, a title
// and a set of flags (window_style.h); its delegate, a KXWindowEvents, turns the window's
// notifications into runtime events. Windows live in an object table (record size 112, growth
// step 8, free procedure DisposeWindow), so re-opening a number that is in use closes the old
// window first.
//
// The records and what the rest of the windowing runtime shares about them are in
// window_records.h.
//
// A window is torn down in one place whoever closes it: release_window_record, which the
// delegate's windowWillClose: calls, frees its output view, stops its timers, drops its queued
// events and releases its record. DisposeWindow
// adds what only the program's own close does: its bindings go, and the key status goes back to
// the window that was key when this one opened.
//
// A position or size of CoordinateNotGiven (-65535) is not given, everywhere here.

#include "runtime/core/object_table.h"
#include "runtime/core/rt_string.h"
#include "runtime/ui/window_style.h"

#include <cstdint>

namespace rt {

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

} // namespace rt
