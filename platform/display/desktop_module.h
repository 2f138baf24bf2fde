#pragma once
// The desktop display is a module of its own, Contents/PlugIns/desktop-display.so in the bundle,
// loaded only when a desktop is shown. A process on a terminal or on the driver then maps none
// of GTK's libraries, which would cost it megabytes of memory and most of its start-up.
//
// The module is linked on its own: what it takes from the program that loads it comes through
// DesktopHost, and it gives one function, the maker, found by its C name.

#include "platform/display/display.h"
#include "platform/foundation/problem_report.h"
#include "platform/foundation/program_identity.h"

#include <memory>
#include <string>

// The program's services that the desktop display uses.
struct DesktopHost {
    ProgramIdentity identity;
    bool (*open_url)(const std::string& url);
    ProblemHandler (*set_problem_handler)(ProblemHandler handler);
    ProblemSayer say_problem;
    // The user's stored setting `key` when it is a text; empty otherwise.
    std::string (*stored_text_setting)(const char* key);
};

// The module's maker: a new display the caller owns, or null when GTK cannot open the desktop or
// the session bus cannot be reached (the reason is on standard error). `host` is copied.
extern "C" Display* zerarazi_make_desktop_display(const DesktopHost* host);
inline constexpr const char* k_desktop_display_maker = "zerarazi_make_desktop_display";

// Whether the running executable's bundle has the module (its file is there; it is not loaded).
bool desktop_module_present();
// The desktop display, made by the module, which is loaded now and stays loaded (GTK cannot be
// unloaded, and the display's code is the module's); it shows the program as `identity`. Null,
// with the reason on standard error, when the module cannot be loaded or the display cannot be
// made.
std::unique_ptr<Display> make_desktop_display(const ProgramIdentity& identity);
