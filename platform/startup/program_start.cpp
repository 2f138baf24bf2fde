#include "platform/startup/program_start.h"

#include "platform/display/desktop_module.h"
#include "platform/display/driver/driver_display.h"
#include "platform/display/terminal/terminal_display.h"
#include "platform/foundation/problem_report.h"
#include "platform/foundation/program_identity.h"
#include "platform/launchd/helpers_path.h"
#include "platform/startup/display_choice.h"
#include "platform/startup/model_on_display.h"
#include "platform/startup/start_environment.h"
#include "platform/system/plain_glib_blocks.h"

#include <iostream>
#include <memory>
#include <unistd.h>

namespace {

std::unique_ptr<Display> make_display(DisplayKind kind) {
    switch (kind) {
    case DisplayKind::driver:
        return std::make_unique<DriverDisplay>(std::cin, std::cout);
    case DisplayKind::terminal:
        return std::make_unique<TerminalDisplay>(STDIN_FILENO, STDOUT_FILENO);
    case DisplayKind::desktop:
        return make_desktop_display(main_program_identity());
    }
    return nullptr;
}

struct ChosenDisplay {
    DisplayKind kind = DisplayKind::driver;
    std::unique_ptr<Display> display; // null when none could be made
};

ChosenDisplay make_display_of_kind(std::optional<DisplayKind> kind) {
    if (!kind) return {};
    return ChosenDisplay{*kind, make_display(*kind)};
}

// A desktop chosen for the session it found but unable to open falls back to what would have
// been chosen without one.
ChosenDisplay make_chosen_display(DisplaySurroundings surroundings) {
    ChosenDisplay chosen = make_display_of_kind(choose_display_kind(surroundings));
    if (chosen.display || chosen.kind != DisplayKind::desktop || !surroundings.desktop_session)
        return chosen;
    surroundings.desktop_session = false;
    return make_display_of_kind(choose_display_kind(surroundings));
}

} // namespace

int run_program(int argument_count, char** arguments, int (*program)(int, char**)) {
    if (!prepare_start_environment()) return 2;
    const DisplaySurroundings surroundings = current_display_surroundings();
    if (choose_display_kind(surroundings) == DisplayKind::desktop)
        restart_with_plain_glib_blocks(arguments);
    const ChosenDisplay chosen = make_chosen_display(surroundings);
    if (!chosen.display) {
        const char* setting = surroundings.setting ? surroundings.setting : "";
        say_line({"ZERARAZI_DISPLAY=", setting,
                  display_kind_named(setting) ? ": that display cannot be shown here"
                                              : ": no such display (driver, terminal, desktop)"});
        return 2;
    }
    add_bundle_helpers_to_path();
    ModelOnDisplay shown(*chosen.display, {.follow_system_bus = follows_system_bus(chosen.kind),
                                           .program_name = main_program_identity().name});
    return program(argument_count, arguments);
}
