#include "app/event_loop.h"

#include "app/about_box.h"
#include "app/battery_alerts.h"
#include "app/battery_history.h"
#include "app/charge_limit_box.h"
#include "app/indicator_state.h"
#include "app/preferences_window.h"
#include "app/sleep_wake_observer.h"
#include "app/start_at_login.h"
#include "app/status_item.h"
#include "runtime/ui/event_kinds.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/runtime_lifecycle.h"
#include "runtime/ui/wait_event.h"
#include "runtime/ui/windows.h"

namespace app {
namespace {

// False once the quit path has run.
bool handle_menu_item(int64_t item) {
    switch (item) {
    case rt::MenuItemQuit:
        // The system's termination request waits while the Preferences window is open.
        if (rt::WindowExists(PreferencesWindow)) return true;
        QuitIndicator();
        return false;
    case ItemBatteryInfo:
    case ItemBatteryInfoKey:
        ShowBatteryInformation();
        return true;
    case ItemPreferences:
        ShowPreferencesWindow();
        return true;
    case ItemAbout:
        ShowAboutBox();
        return true;
    case ItemBatterySettings:
        OpenLink(BatterySettingsLink);
        return true;
    case ItemQuit:
        QuitIndicator();
        return false;
    default:
        return true;
    }
}

void handle_gadget(int64_t gadget) {
    switch (gadget) {
    case CheckShowHealth:
    case CheckShowPercentage:
    case CheckShowCondition:
    case CheckShowCycles:
    case CheckShowTemp:
    case CheckShowCharging:
    case CheckShowTimeLeft:
    case CheckShowFullChargeTime:
        DisplayBoxClicked();
        return;
    case CheckLogin:
        ToggleStartAtLogin();
        return;
    case CheckChargeLimit:
        ChargeLimitBoxClicked();
        return;
    case ChoiceChargeLimit:
        ChargeLimitChosen();
        return;
    case ButtonChargeOnce:
        ChargeOnceClicked();
        return;
    default:
        return;
    }
}

} // namespace

bool DispatchEvent(int32_t kind) {
    switch (kind) {
    case rt::EventKindMenu:
        return handle_menu_item(rt::CurrentEventMenu());
    case rt::EventKindCloseWindow:
        ClosePreferencesWindow();
        return true;
    case rt::EventKindGadget:
        handle_gadget(rt::CurrentEventGadget());
        return true;
    case rt::EventKindTimer:
        if (rt::CurrentEventTimer() == RefreshTimer) RefreshStatus();
        return true;
    case WakeEvent:
        HandleWakeEvent();
        return true;
    case SleepEvent:
        HandleSleepEvent();
        return true;
    default:
        return true;
    }
}

int RunEventLoop() {
    while (DispatchEvent(rt::WaitEvent())) {
    }
    return 0;
}

void QuitIndicator() {
    RemoveSleepWakeObserver();
    WriteBatteryHistory();
    rt::EndRuntime();
    rt::ExitProgram(0);
}

} // namespace app
