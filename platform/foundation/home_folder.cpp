#include "platform/foundation/home_folder.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

std::string home_folder() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0) return {};
    if (!found || !found->pw_dir || !*found->pw_dir) return {};
    return found->pw_dir;
}
