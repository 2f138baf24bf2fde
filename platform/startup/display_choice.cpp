#include "platform/startup/display_choice.h"

#include "platform/display/desktop_module.h"
#include "platform/foundation/environment_text.h"
#include "platform/system/session_bus.h"

#include <cstdlib>
#include <unistd.h>

std::optional<DisplayKind> display_kind_named(std::string_view name) {
    if (name == "driver") return DisplayKind::driver;
    if (name == "terminal") return DisplayKind::terminal;
    if (name == "desktop") return DisplayKind::desktop;
    return std::nullopt;
}

std::optional<DisplayKind> choose_display_kind(const DisplaySurroundings& surroundings) {
    if (surroundings.setting && *surroundings.setting) {
        std::optional<DisplayKind> named = display_kind_named(surroundings.setting);
        if (named == DisplayKind::desktop && !surroundings.desktop_built) return std::nullopt;
        return named;
    }
    if (surroundings.desktop_built && surroundings.desktop_session) return DisplayKind::desktop;
    if (surroundings.input_is_terminal && surroundings.output_is_terminal)
        return DisplayKind::terminal;
    return DisplayKind::driver;
}

bool follows_system_bus(DisplayKind kind) {
    return kind != DisplayKind::driver;
}

// The session bus is asked only when the choice depends on it.
DisplaySurroundings current_display_surroundings() {
    const char* setting = std::getenv("ZERARAZI_DISPLAY");
    const bool graphical =
        text_set(std::getenv("WAYLAND_DISPLAY")) || text_set(std::getenv("DISPLAY"));
    return DisplaySurroundings{
        .setting = setting,
        .input_is_terminal = ::isatty(STDIN_FILENO) == 1,
        .output_is_terminal = ::isatty(STDOUT_FILENO) == 1,
        .desktop_session = !text_set(setting) && graphical && session_bus_answers(),
        .desktop_built = desktop_module_present(),
    };
}
