#pragma once
// The About box and the two links the indicator opens.

namespace app {

// The maker's web page and the platform's link to the Battery pane of its settings.
inline constexpr const char16_t* MakerWebPage = u"https://zerarazi.org/apps";
inline constexpr const char16_t* BatterySettingsLink =
    u"x-apple.systempreferences:com.apple.Battery-Settings.extension";

// Asks the workspace to open `link`; a text that is not a link opens nothing.
void OpenLink(const char16_t* link);
// The About box; its second button opens the maker's web page.
void ShowAboutBox();

} // namespace app
