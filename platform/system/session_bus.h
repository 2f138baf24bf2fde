#pragma once
// The session bus of a graphical session, asked before a display is chosen.

// Whether a session bus is there to talk to: its address is known and it answers.
bool session_bus_answers();
