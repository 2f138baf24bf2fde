#pragma once
// The command line.
//
//   zerarazi-charge-limit            serve org.zerarazi.ChargeLimit1 on the system bus (as D-Bus
//                                    activation starts it)
//   zerarazi-charge-limit --apply    apply the stored limit again and exit (at boot, after
//                                    resume, when a battery appears): through the service when it
//                                    runs, so that charging once holds, else directly
//
// For the tests only: --sysfs FOLDER, --state FOLDER, --idle SECONDS and --poll SECONDS point the
// service at a hand-made tree and a scratch folder and shorten its waits. They are accepted only
// with --bus ADDRESS, a private bus used instead of the system bus, and the service refuses to
// start when that address leads to the system bus after all (bus_address.h). The installed
// activation file starts the program without options, and nothing is taken from the environment:
// the system bus is reached at its fixed address.

#include "privileged/system_paths.h"

#include <span>
#include <string>

struct Options {
    enum class Mode { Serve, Apply };

    Mode mode = Mode::Serve;
    std::string bus; // empty: the system bus
    SystemPaths paths;
    double idle_seconds = 30; // without calls before the service exits
    double poll_seconds = 30; // between looks at a battery that charges fully once
};

struct ParsedOptions {
    Options options;
    std::string error; // empty when the command line was accepted
};

// `arguments` without the program's name.
ParsedOptions parse_options(std::span<const char* const> arguments);
