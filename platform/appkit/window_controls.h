#pragma once
// The controls of a window as a display shows them: the check boxes, push buttons, pop-up choices,
// labels and boxes of its view tree, numbered by their tags, and a person's click on one of them
// or choice of an item.

#include "platform/display/display_snapshots.h"

#include <string>
#include <vector>

class NSView;
class NSWindow;

// The controls under `content` (a window's content view), hidden ones and those inside hidden
// views left out, in the order they were made; `content_rect` is where the content view stands
// on the screen (top-left coordinates). Empty for a nil view.
std::vector<ControlSnapshot> window_control_snapshots(NSView* content,
                                                      const ScreenRect& content_rect);

// The shown control of that number in `window`'s content, or nil.
NSView* window_control(NSWindow* window, int number);

// A person's click on control `number` of the visible window shown as `window_number` among
// `windows`: a button is pressed (performClick:), a label or a box takes the click without effect
// (a choice too: its items are chosen by choose_window_control_item).
// Returns why the click could not be made (no such window or control, a disabled control), or an
// empty string when it was made.
std::string click_window_control(const std::vector<NSWindow*>& windows, int window_number,
                                 int number);

// A person's choice of item `item` (from 0) of the pop-up choice `number`, which selects it and
// sends its action. Refused as a click is, and also when the control is no choice or has no such
// item.
std::string choose_window_control_item(const std::vector<NSWindow*>& windows, int window_number,
                                       int number, int item);
