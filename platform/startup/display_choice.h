#pragma once
// Which display a program shows itself on: the one ZERARAZI_DISPLAY names, otherwise the desktop
// when there is one and it is built, a terminal when standard input and output are terminals,
// and the driver's line protocol for anything else (pipes, files, scripts).

#include <optional>
#include <string_view>

enum class DisplayKind { driver, terminal, desktop };

struct DisplaySurroundings {
    const char* setting = nullptr; // ZERARAZI_DISPLAY; null or empty: choose
    bool input_is_terminal = false;
    bool output_is_terminal = false;
    bool desktop_session = false; // a graphical session and its session bus are reachable
    bool desktop_built = false;   // the bundle has the desktop display's module
};

// Null for a setting that names no display.
std::optional<DisplayKind> display_kind_named(std::string_view name);

// Null when the setting names no display, or a desktop display that this build lacks.
std::optional<DisplayKind> choose_display_kind(const DisplaySurroundings& surroundings);

// Whether a display of `kind` follows the system bus's sleep, wake and power profile: those with
// a real clock do; the driver's virtual time has its own sleep and wake commands.
bool follows_system_bus(DisplayKind kind);

// This process's surroundings: the environment and its standard input and output.
DisplaySurroundings current_display_surroundings();
