#pragma once
// GLib before 2.76 hands out its small blocks (GVariant values, hash tables, list links) from
// GSlice, which keeps the blocks freed on a thread for that thread and never gives them back to
// the system. The session bus's worker thread parses every incoming message into such blocks
// before anyone can look at it, so one large message from any program on the bus would leave the
// desktop display tens of megabytes larger for good (bench/desktop_bus_requests.py).
// G_SLICE=always-malloc turns GSlice into plain malloc, whose free pages go back; GLib reads it
// only as it loads, before main, so a process that needs it starts itself again with it set.

// With a GLib older than 2.76 and G_SLICE unset: sets G_SLICE=always-malloc and executes this
// program again with `arguments` (null-terminated, as main has them). Returns only when that is
// not needed or the execution failed, with the environment as it was.
void restart_with_plain_glib_blocks(char** arguments);
