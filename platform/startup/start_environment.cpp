#include "platform/startup/start_environment.h"

#include "platform/foundation/ns_process_info.h"
#include "platform/foundation/problem_report.h"

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr const char* k_os_version_setting = "ZERARAZI_OS_VERSION";

// A closed standard descriptor is taken by /dev/null opened the other way round, so that using
// it still fails as a closed one would (EBADF), while no later open() can land on it.
void occupy_if_closed(int descriptor, int flags) {
    if (::fcntl(descriptor, F_GETFD) != -1) return;
    const int taken = ::open("/dev/null", flags | O_CLOEXEC);
    if (taken >= 0 && taken != descriptor) {
        ::dup2(taken, descriptor);
        ::close(taken);
    }
}

void occupy_closed_standard_descriptors() {
    occupy_if_closed(STDIN_FILENO, O_WRONLY);
    occupy_if_closed(STDOUT_FILENO, O_RDONLY);
    occupy_if_closed(STDERR_FILENO, O_RDONLY);
}

std::string start_folder() {
    char* folder = ::getcwd(nullptr, 0);
    std::string path = folder ? folder : "";
    std::free(folder);
    return path;
}

void make_path_settings_absolute() {
    const std::string folder = start_folder();
    if (folder.empty()) return;
    for (const char* name : k_path_settings) {
        const char* value = std::getenv(name);
        if (!value || !*value || *value == '/') continue;
        ::setenv(name, absolute_setting_path(value, folder).c_str(), 1);
    }
}

bool os_version_setting_is_usable() {
    const char* value = std::getenv(k_os_version_setting);
    if (!value || !*value || parse_os_version(value)) return true;
    say_problem({k_os_version_setting, "=", value,
                 " is not a version: give MAJOR[.MINOR[.PATCH]], such as 13.4"});
    return false;
}

} // namespace

std::string absolute_setting_path(std::string_view value, std::string_view folder) {
    if (value.empty() || value.front() == '/') return std::string(value);
    std::string path(folder);
    if (path.empty() || path.back() != '/') path += '/';
    return path.append(value);
}

bool prepare_start_environment() {
    occupy_closed_standard_descriptors();
    make_path_settings_absolute();
    return os_version_setting_is_usable();
}
