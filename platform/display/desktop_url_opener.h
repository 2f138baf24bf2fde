#pragma once
// Opening a URL on a Linux desktop: web, mail and file addresses go to xdg-open; the Battery
// pane's deep link opens the power settings of the running desktop. The program is started
// directly (never through a shell) and is not waited for.

#include <string>
#include <string_view>
#include <vector>

// The deep link that stands for the Battery pane of the system settings.
inline constexpr std::string_view k_battery_settings_url =
    "x-apple.systempreferences:com.apple.Battery-Settings.extension";

// The program and arguments that open `url` on a desktop described by `current_desktop` (the text
// of XDG_CURRENT_DESKTOP: names separated by ':', the first known one wins, in any letter case).
// Empty when nothing can open it: no scheme, another "x-apple" address, or settings on an
// unknown desktop.
std::vector<std::string> desktop_command_for_url(std::string_view url,
                                                 std::string_view current_desktop);
// Starts the program that opens `url`, with standard input and output on /dev/null, in its own
// session; false when there is none or it could not be started (not found on PATH).
bool open_url_on_desktop(const std::string& url);
