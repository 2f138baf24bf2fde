#include "platform/appkit/ns_user_notification.h"

#include "platform/display/display_slot.h"

void DeliverUserNotification(const UserNotification& notification) {
    Display* display = current_display();
    if (!display) return;
    display->show_notification(
        {notification.kind, notification.title, notification.text, notification.urgent});
}

bool DesktopWarnsAboutBattery() {
    Display* display = current_display();
    return display && display->desktop_warns_about_battery();
}
