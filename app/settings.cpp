#include "app/settings.h"

#include "runtime/core/file_system.h"
#include "runtime/ui/native_message.h"

#include <array>

namespace app {
namespace {

using DisplayField = int64_t battery::DisplaySettings::*;

struct DisplayKey {
    const char16_t* key;
    DisplayField field;
};

// The order in which the keys are read and written.
constexpr std::array<DisplayKey, 8> k_display_keys = {{
    {u"ShowCycles", &battery::DisplaySettings::ShowCycles},
    {u"ShowCondition", &battery::DisplaySettings::ShowCondition},
    {u"ShowPercentage", &battery::DisplaySettings::ShowPercentage},
    {u"ShowHealth", &battery::DisplaySettings::ShowHealth},
    {u"ShowTimeLeft", &battery::DisplaySettings::ShowTimeLeft},
    {u"ShowTemp", &battery::DisplaySettings::ShowTemp},
    {u"ShowFullChargeTime", &battery::DisplaySettings::ShowFullChargeTime},
    {u"ShowCharging", &battery::DisplaySettings::ShowCharging},
}};

constexpr const char16_t* k_login_key = u"Login";

int64_t read_integer(int64_t defaults, const char16_t* key) {
    return rt::SendNativeMessage(nullptr, defaults, u"integerForKey:$", key);
}

void write_integer(int64_t defaults, const char16_t* key, int64_t value) {
    rt::SendNativeMessage(nullptr, defaults, u"setInteger:", value, u"forKey:$", key);
}

void synchronize(int64_t defaults) {
    rt::SendNativeMessage(nullptr, defaults, u"synchronize");
}

bool all_display_settings_off(const battery::DisplaySettings& display) {
    for (const DisplayKey& entry : k_display_keys) {
        if (display.*entry.field != 0) return false;
    }
    return true;
}

// A stored threshold, or `fallback` when none is stored or it is not a percentage a charge can
// fall to.
int read_threshold(int64_t defaults, const char16_t* key, int fallback) {
    const int64_t stored = read_integer(defaults, key);
    return stored >= 1 && stored <= 99 ? static_cast<int>(stored) : fallback;
}

} // namespace

rt::String PreferencesFile() {
    return rt::HomeFolderPath() + u"Library/Preferences/" + ApplicationIdentifier + u".plist";
}

battery::DisplaySettings FirstRunDisplaySettings() {
    battery::DisplaySettings display;
    display.ShowPercentage = 1;
    return display;
}

void ReadSettings(int64_t defaults, Settings& settings) {
    for (const DisplayKey& entry : k_display_keys)
        settings.display.*entry.field = read_integer(defaults, entry.key);
    settings.StartAtLogin = static_cast<uint8_t>(read_integer(defaults, k_login_key) & 0xFF);
    if (!all_display_settings_off(settings.display)) return;
    settings.display.ShowPercentage = 1;
    write_integer(defaults, u"ShowPercentage", 1);
    synchronize(defaults);
}

WarningSettings ReadWarningSettings(int64_t defaults) {
    WarningSettings warnings;
    warnings.enabled = read_integer(defaults, u"WarningsOff") != 1;
    warnings.low_percent = read_threshold(defaults, u"LowWarningPercent", warnings.low_percent);
    warnings.critical_percent =
        read_threshold(defaults, u"CriticalWarningPercent", warnings.critical_percent);
    warnings.even_where_desktop_warns = read_integer(defaults, u"WarnBesideDesktop") == 1;
    return warnings;
}

void StoreDisplaySettings(int64_t defaults, const battery::DisplaySettings& display) {
    for (const DisplayKey& entry : k_display_keys)
        write_integer(defaults, entry.key, display.*entry.field);
    synchronize(defaults);
}

void StoreStartAtLogin(int64_t defaults, uint8_t start_at_login) {
    write_integer(defaults, k_login_key, static_cast<int8_t>(start_at_login));
    synchronize(defaults);
}

void LoadSettingsAtStartUp(int64_t defaults, Settings& settings) {
    if (rt::FileByteSize(PreferencesFile()) != rt::file_size_missing) {
        ReadSettings(defaults, settings);
        return;
    }
    settings.display = FirstRunDisplaySettings();
    StoreDisplaySettings(defaults, settings.display);
}

} // namespace app
