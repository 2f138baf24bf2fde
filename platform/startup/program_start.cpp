#include "platform/startup/program_start.h"

#include "platform/appkit/display_link.h"
#include "platform/display/driver_display.h"
#include "platform/display/terminal_display.h"
#include "platform/launchd/helpers_path.h"
#include "platform/startup/display_choice.h"

#include <cstdio>
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
    case DisplayKind::gtk:
        break;
    }
    return nullptr;
}

} // namespace

int run_program(int argument_count, char** arguments, int (*program)(int, char**)) {
    const DisplaySurroundings surroundings = current_display_surroundings();
    std::optional<DisplayKind> kind = choose_display_kind(surroundings);
    std::unique_ptr<Display> display = kind ? make_display(*kind) : nullptr;
    if (!display) {
        std::fprintf(stderr,
                     "ZERARAZI_DISPLAY=%s: no such display in this build (driver, terminal)\n",
                     surroundings.setting ? surroundings.setting : "");
        return 2;
    }
    add_bundle_helpers_to_path();
    DisplayScope scope(*display);
    return program(argument_count, arguments);
}
