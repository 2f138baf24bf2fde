#pragma once
// A notification in the desktop's notification area (org.freedesktop.Notifications), where a
// person looks for news that no window shows, such as a setting that could not be stored.

#include "platform/foundation/program_identity.h"

#include <string>

struct _GDBusConnection;

// Asks the session's notification service to show `body` under the program's name and icon,
// without waiting for an answer: a session without the service shows nothing. Callable from any
// thread.
void show_desktop_notification(_GDBusConnection* bus, const ProgramIdentity& program,
                               const std::string& body);
