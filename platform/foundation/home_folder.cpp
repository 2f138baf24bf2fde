#include "platform/foundation/home_folder.h"

#include "platform/foundation/problem_report.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace {

std::string password_database_home() {
    long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 1024);
    for (int attempt = 0; attempt < 8; ++attempt, buffer.resize(buffer.size() * 2)) {
        passwd entry{};
        passwd* found = nullptr;
        const int error = ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE) continue;
        if (error != 0 || !found || !found->pw_dir) return {};
        return found->pw_dir;
    }
    return {};
}

void say_relative_home_passed_over(const char* home, const std::string& used) {
    static std::atomic<bool> said = false;
    if (said.exchange(true)) return;
    say_problem({"HOME=", home, " is not an absolute path; using ",
                 used.empty() ? "no home folder" : used.c_str()});
}

} // namespace

std::string home_folder() {
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return home;
    std::string from_database = password_database_home();
    if (home && *home) say_relative_home_passed_over(home, from_database);
    return from_database;
}
