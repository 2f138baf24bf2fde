#pragma once
// The indicator's program-wide state and the numbers it gives runtime objects and events. The
// state lives for the whole run and is never freed.

#include "app/settings.h"
#include "runtime/core/rt_string.h"

#include <cstdint>

namespace app {

inline constexpr int64_t HiddenEventWindow = 0;
inline constexpr int64_t PreferencesWindow = 1;
inline constexpr int64_t StatusMenu = 0;
inline constexpr int64_t RefreshTimer = 1;
inline constexpr int32_t RefreshPeriod = 10000; // milliseconds

// Command+I on the hidden window arrives as a menu event of this item.
inline constexpr int32_t BatteryInfoShortcut = 0x80069;
inline constexpr int32_t ItemBatteryInfoKey = 556;

inline constexpr int32_t SleepEvent = 67136;
inline constexpr int32_t WakeEvent = 67137;

// The items of the status menu, and the system's termination request.
inline constexpr int32_t ItemPowerState = 1;
inline constexpr int32_t ItemBatteryInfo = 3;
inline constexpr int32_t ItemPreferences = 4;
inline constexpr int32_t ItemAbout = 5;
inline constexpr int32_t ItemBatterySettings = 6;
inline constexpr int32_t ItemQuit = 9;

// The check boxes of the Preferences window.
inline constexpr int64_t CheckShowHealth = 0;
inline constexpr int64_t CheckShowPercentage = 2;
inline constexpr int64_t CheckShowCondition = 3;
inline constexpr int64_t CheckShowCycles = 4;
inline constexpr int64_t CheckShowTemp = 5;
inline constexpr int64_t CheckShowCharging = 6;
inline constexpr int64_t CheckShowTimeLeft = 8;
inline constexpr int64_t CheckShowFullChargeTime = 9;
inline constexpr int64_t CheckLogin = 11;
// The charge limit's controls, after Start at Login.
inline constexpr int64_t CheckChargeLimit = 12;
inline constexpr int64_t ChoiceChargeLimit = 13;
inline constexpr int64_t ButtonChargeOnce = 14;

struct IndicatorState {
    int64_t DefaultsObject = 0;
    rt::String ResourceFolder;
    Settings settings;
    int64_t StatusItem = 0; // 0 until it is made
    rt::String CurrentTitle;
    uint8_t TimerRunning = 0;
    int64_t WorkspaceObserver = 0;
};

IndicatorState& indicator();

// "NSRunningApplication currentApplication" activateWithOptions: 3, before every alert and window.
void ActivateApplication();

} // namespace app
