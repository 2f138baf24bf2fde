#pragma once
// Reaching the bus: the system bus at its fixed address (never one from the environment, which a
// caller could set), or the private bus the tests name.

#include <gio/gio.h>

#include <string>

constexpr const char* k_system_bus_address = "unix:path=/run/dbus/system_bus_socket";

// A connection to the bus at `address`, or to the system bus when `address` is empty; null with
// `error` set. An address is only ever given for a private bus: one that leads to the system bus
// after all (the same bus id) is refused.
GDBusConnection* connect_to_bus(const std::string& address, GError** error);
