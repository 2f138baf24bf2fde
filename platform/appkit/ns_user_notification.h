#pragma once
// User notifications: delivered to the display the model is shown on, each in place of the one
// delivered before (a notification area, a bell and a line, a driver's event); without a display
// nothing is shown.

#include <string>

struct UserNotification {
    std::string kind; // names the notice for scripts: "low", "critical", "full"
    std::string title;
    std::string text;
    bool urgent = false;
};

void DeliverUserNotification(const UserNotification& notification);
// Whether the desktop warns about a low battery itself, so that the model's own warnings would
// repeat it.
bool DesktopWarnsAboutBattery();
