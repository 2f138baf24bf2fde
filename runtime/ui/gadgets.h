#pragma once
// Numbered controls in windows: push buttons, check boxes, pop-up choices, text labels and frames.
// Each gadget is a native view of a KX_ view class and a behaviour object of the KXGadgetFunctions
// family; the procedures look the gadget up by number and send the matching message to its
// behaviour object, so each kind answers the same operations in its own way. New gadgets go into
// the current gadget list's view (KXGadgetList), which is flipped: coordinates are measured from
// its top-left corner. Control actions become EventKindGadget events.
//
// Gadgets live in an object table (record size 48, growth step 16, free procedure FreeGadget).
// A gadget is freed by FreeGadget, by its window's DisposeWindow (FreeWindowGadgets), or by its
// view's deallocation when the toolkit lets the view go first (the window closed by itself).

#include "runtime/core/object_table.h"
#include "runtime/core/rt_string.h"
#include "runtime/ui/event_bindings.h"

#include <cstdint>

namespace rt {

inline constexpr int32_t GadgetTypeButton = 1;
inline constexpr int32_t GadgetTypeText = 3;
inline constexpr int32_t GadgetTypeCheckbox = 4;
inline constexpr int32_t GadgetTypeFrame = 7;
inline constexpr int32_t GadgetTypeChoice = 8;

// Creation flags.
inline constexpr int32_t GadgetFlagRightAligned = 1; // button, check box, text; wins over centred
inline constexpr int32_t GadgetFlagCentred = 2;      // button, check box and text
inline constexpr int32_t CheckboxFlagThreeState = 4;
inline constexpr int32_t TextFlagBordered = 4;
inline constexpr int32_t FrameStyleNoTitle = 1;  // as the whole flags value, also 2
inline constexpr int32_t FrameStyleOldStyle = 3; // as the whole flags value
inline constexpr int32_t FrameFlagContainer = 8;

// Start-up: registers the gadget classes and creates the gadget table (once). 1 on success, 0 when
// the table cannot be made.
int InitGadgets();

// Each makes a gadget in the current gadget list's view at x, y (from its top-left corner) with
// the given size and text (null: empty). The result is the view for a fixed number, the new number
// for AutoNumber, 0 when the view cannot be made; when only the behaviour object cannot be made,
// the view is returned and no gadget exists. The forms without flags pass 0.
int64_t CreateButtonGadget(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                           TextArg text);
int64_t CreateButtonGadget(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                           TextArg text, int32_t flags);
int64_t CreateCheckboxGadget(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                             TextArg text);
int64_t CreateCheckboxGadget(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                             TextArg text, int32_t flags);
int64_t CreateTextGadget(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                         TextArg text);
int64_t CreateTextGadget(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                         TextArg text, int32_t flags);
// Flags 8 makes a container: the frame's inner view becomes the current gadget view until
// LeaveGadgetList.
int64_t CreateFrameGadget(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                          TextArg text);
int64_t CreateFrameGadget(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                          TextArg text, int32_t flags);
// A pop-up choice, empty until AddGadgetItem fills it.
int64_t CreateChoiceGadget(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height);

// Adds an item to a choice at `position` (-1 or past the end: last); the first item added is
// selected. The result is the item's index; -1 for no gadget or a gadget without items.
int64_t AddGadgetItem(int64_t number, int32_t position, TextArg text);

// The gadget's state (a check box: 1 on, 0 off, -1 mixed; a choice: the selected index, -1 for
// none; a label: 0); 0 for no gadget. Setting a choice's state to an index it does
// not have is ignored.
int64_t GetGadgetState(int64_t number);
void SetGadgetState(int64_t number, int64_t state);

// Disables the gadget for a non-zero `state`, enables it for 0: a disabled control takes no clicks
// and displays grey it; a label greys its text. A number that names no gadget is ignored.
void DisableGadget(int64_t number, int32_t state);

// Removes the gadget's view and frees the gadget with its bindings and queued events; AutoNumber
// frees every gadget. A number that names no gadget is ignored.
void FreeGadget(int64_t number);
// Frees every gadget made in that window, leaving the views to go with the window.
void FreeWindowGadgets(int64_t window);
// Pops the current gadget list; with nothing pushed, the window's content view is the current view.
void LeaveGadgetList();
// RemoveEventBinding for the gadget's events; 0 when the gadget does not exist.
int RemoveGadgetBinding(int64_t number, EventCallback callback);
int RemoveGadgetBinding(int64_t number, EventCallback callback, int64_t subtype);

} // namespace rt
