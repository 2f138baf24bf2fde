#include "platform/startup/display_choice.h"

#include <cstdlib>
#include <unistd.h>

std::optional<DisplayKind> display_kind_named(std::string_view name) {
    if (name == "driver") return DisplayKind::driver;
    if (name == "terminal") return DisplayKind::terminal;
    if (name == "gtk") return DisplayKind::gtk;
    return std::nullopt;
}

std::optional<DisplayKind> choose_display_kind(const DisplaySurroundings& surroundings) {
    if (surroundings.setting && *surroundings.setting) {
        std::optional<DisplayKind> named = display_kind_named(surroundings.setting);
        if (named == DisplayKind::gtk && !surroundings.desktop_built) return std::nullopt;
        return named;
    }
    if (surroundings.desktop_built && surroundings.desktop_session) return DisplayKind::gtk;
    if (surroundings.input_is_terminal && surroundings.output_is_terminal)
        return DisplayKind::terminal;
    return DisplayKind::driver;
}

DisplaySurroundings current_display_surroundings() {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* x11 = std::getenv("DISPLAY");
    return DisplaySurroundings{
        .setting = std::getenv("ZERARAZI_DISPLAY"),
        .input_is_terminal = ::isatty(STDIN_FILENO) == 1,
        .output_is_terminal = ::isatty(STDOUT_FILENO) == 1,
        .desktop_session = (wayland && *wayland) || (x11 && *x11),
        .desktop_built = false,
    };
}
