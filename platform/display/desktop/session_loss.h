#pragma once
// How the desktop display ends when the session goes from under it: the session bus closing (the
// session ended, or its bus daemon died) or the display server going (the X server, the Wayland
// compositor). Either ends the process with one line on standard error that says which and an
// exit status of its own, so that whatever started the indicator can tell it from a quit
// (status 0), from a failure to start (2) and from a display that could not write (1).
//
// The bus's loss reaches the model as the end of input, and the process ends through the model's
// usual way out with the loss's status. The display server's loss cannot wait for that: Xlib
// ends the process once its connection breaks, and GDK's Wayland back end likewise, so the
// process ends where the loss is seen.

#include "platform/foundation/problem_report.h"

#include <cstdint>
#include <string_view>

enum class SessionLoss : uint8_t { bus_closed, display_closed };

struct SessionLossFacts {
    SessionLoss loss;
    int exit_status;
    std::string_view line; // said as a problem (say_problem) on standard error
};

inline constexpr SessionLossFacts k_session_losses[] = {
    {SessionLoss::bus_closed, 3, "the session bus closed"},
    {SessionLoss::display_closed, 4, "the display closed (X server or Wayland compositor gone)"},
};

const SessionLossFacts& session_loss_facts(SessionLoss loss);

// From now on, the loss of GDK's default display (X11 or Wayland) ends the process at once with
// its line, said by `say`, and its status. Call once GTK has opened the display.
void end_process_when_display_lost(ProblemSayer say);
