#pragma once
// What the terminal shows, as lines of text: the status item on one line, then the open menu,
// the visible windows' controls or the buttons of an alert, then a hint of the keys that work and
// the note, if any. Pure: the same state always gives the same lines.

#include "platform/display/display_snapshots.h"
#include "platform/display/terminal/terminal_state.h"

#include <string>
#include <string_view>
#include <vector>

struct ViewOptions {
    bool colour = true;  // attribute sequences for bold, dim and colours
    size_t columns = 79; // the most a chart's lines take, indent included
    size_t rows = 0;     // the screen's height, which the charts leave the report on; 0: unknown
};

// A small battery drawn in text for the picture file `image` (a file name or a path); empty
// for no picture, and a neutral battery for a picture it does not know.
std::string battery_glyph(const std::optional<std::string>& image, const ViewOptions& options);

std::string status_line(const std::optional<StatusSnapshot>& status, const ViewOptions& options);
// status_line() written over `line`, in the room it has.
void write_status_line(std::string& line, const std::optional<StatusSnapshot>& status,
                       const ViewOptions& options);

// The key equivalent as a person reads it, e.g. "⌘I" or "⇧⌘Z"; empty without a key.
std::string key_equivalent_label(const MenuItemSnapshot& item);

std::vector<std::string> menu_lines(const std::vector<MenuItemSnapshot>& items,
                                    const ViewOptions& options);
std::vector<std::string> window_lines(const WindowSnapshot& window, bool focused,
                                      const ViewOptions& options);
// The alert's title and text, printed once when it appears; the buttons stay in the view. Under
// the text, the history's charts when the alert has them, as tall as the screen's rows allow.
std::vector<std::string> alert_text_lines(const AlertSnapshot& alert, const ViewOptions& options);
std::string alert_buttons_line(const AlertSnapshot& alert, const ViewOptions& options);

std::vector<std::string> render_view(const TerminalState& state, const ViewOptions& options);
// The lines of render_view() under the status line, which depend on everything but the status.
std::vector<std::string> render_below_status(const TerminalState& state,
                                             const ViewOptions& options);
