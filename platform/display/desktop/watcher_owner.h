#pragma once
// Which program hosts the panel's status items: the process that owns the watcher's bus name.
// Panels differ in what they draw of an item, and the owner is the one sure sign of the panel in
// front of the person (the desktop's name says nothing of a bar started in it).

#include <gio/gio.h>

#include <string>

// The program name of the process that owns `bus_name` on `bus` (the file name its command line
// starts with); empty when nobody owns the name, the bus will not say the owner's process, or the
// process cannot be read (gone).
std::string bus_name_owner_program(GDBusConnection* bus, const char* bus_name);
