#pragma once
// The indicator's settings: which battery pieces the status title shows, and whether the
// indicator starts at login. They live in the user's defaults store; every message to it goes by
// name through SendNativeMessage to the defaults object.

#include "app/battery_warnings.h"
#include "battery/display_settings.h"
#include "runtime/core/rt_string.h"

#include <cstdint>

namespace app {

inline constexpr const char16_t* ApplicationIdentifier = u"org.zerarazi.Zerarazi";

struct Settings {
    battery::DisplaySettings display;
    uint8_t StartAtLogin = 0; // the low 8 bits of the stored "Login"
    WarningSettings warnings;
};

// The user's home folder + "Library/Preferences/" + ApplicationIdentifier + ".plist".
rt::String PreferencesFile();

// The settings of a first start: only the charge percentage is shown.
battery::DisplaySettings FirstRunDisplaySettings();

// Reads the nine keys in table order and applies the invariant: when all eight display settings
// are off, "ShowPercentage" is turned on and stored.
void ReadSettings(int64_t defaults, Settings& settings);
// The charge warnings' keys: "WarningsOff" 1 turns them off; "LowWarningPercent" and
// "CriticalWarningPercent" between 1 and 99 move the thresholds (anything else keeps 20 and 5);
// "WarnBesideDesktop" 1 shows low and critical even where the desktop warns itself.
WarningSettings ReadWarningSettings(int64_t defaults);
// Writes the eight display settings in table order, then synchronizes.
void StoreDisplaySettings(int64_t defaults, const battery::DisplaySettings& display);
// Writes "Login" on its own, then synchronizes.
void StoreStartAtLogin(int64_t defaults, uint8_t start_at_login);

// The settings step of start-up: a missing preferences file means a first start, whose settings
// are stored; otherwise the stored settings are read.
void LoadSettingsAtStartUp(int64_t defaults, Settings& settings);

} // namespace app
