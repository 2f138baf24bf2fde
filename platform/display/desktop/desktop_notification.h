#pragma once
// A notification in the desktop's notification area (org.freedesktop.Notifications), where a
// person looks for news that no window shows, such as a setting that could not be stored.

#include "platform/foundation/program_identity.h"

#include <cstdint>
#include <memory>
#include <string>

struct _GDBusConnection;

// Asks the session's notification service to show `body` under the program's name and icon,
// without waiting for an answer: a session without the service shows nothing. Callable from any
// thread.
void show_desktop_notification(_GDBusConnection* bus, const ProgramIdentity& program,
                               const std::string& body);

// The id the notification service gave the last notification shown through it; 0 until it
// answers. Shared with the pending call, which may answer after its display has gone.
using NotificationId = std::shared_ptr<uint32_t>;

// Shows `title` and `body` in place of the notification `last` names, and keeps the new one's
// id in `last` when the service answers. `urgent` asks for the critical urgency.
void replace_desktop_notification(_GDBusConnection* bus, const ProgramIdentity& program,
                                  const std::string& title, const std::string& body, bool urgent,
                                  const NotificationId& last);

// Whether the session's power manager (GNOME's, KDE's or Xfce's) is running: each warns at low
// and critical charge itself.
bool desktop_power_manager_running(_GDBusConnection* bus);
