// Contents/Helpers/launchctl: loads and unloads per-user launch agents as login entries.

#include "platform/launchd/launchctl_command.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int index = 1; index < argc; ++index)
        arguments.emplace_back(argv[index]);
    return run_launchctl(arguments, std::cerr);
}
