#include "platform/display/desktop_url_opener.h"

#include "platform/display/desktop_names.h"

#include <array>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

constexpr std::string_view k_url_opener = "xdg-open";
// Schemes of this family belong to the other platform; only the Battery pane has a counterpart.
constexpr std::string_view k_foreign_scheme_prefix = "x-apple";

struct DesktopSettings {
    std::string_view desktop; // one name as XDG_CURRENT_DESKTOP lists it
    std::array<std::string_view, 2> command;
};

// clang-format off
constexpr std::array k_power_settings = {
    DesktopSettings{"GNOME", {"gnome-control-center", "power"}},
    DesktopSettings{"Unity", {"gnome-control-center", "power"}},
    DesktopSettings{"KDE",   {"systemsettings", "kcm_powerdevilprofilesconfig"}},
    DesktopSettings{"XFCE",  {"xfce4-power-manager-settings", ""}},
};
// clang-format on

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t at = 0; at < a.size(); ++at) {
        if (std::tolower(static_cast<unsigned char>(a[at])) !=
            std::tolower(static_cast<unsigned char>(b[at]))) {
            return false;
        }
    }
    return true;
}

bool is_scheme_character(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
}

// The URL's scheme ("" when it has none): a letter, then letters, digits, "+", "-" or ".",
// then ":".
std::string_view scheme_of(std::string_view url) {
    std::size_t colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0) return {};
    if (!std::isalpha(static_cast<unsigned char>(url[0]))) return {};
    for (std::size_t at = 1; at < colon; ++at) {
        if (!is_scheme_character(url[at])) return {};
    }
    return url.substr(0, colon);
}

std::vector<std::string> power_settings_command(std::string_view current_desktop) {
    const DesktopSettings* settings = desktop_row(current_desktop, k_power_settings);
    if (!settings) return {};
    std::vector<std::string> command;
    for (std::string_view part : settings->command) {
        if (!part.empty()) command.emplace_back(part);
    }
    return command;
}

// Everything posix_spawnp needs besides the argument vector, released on every path.
class SpawnSetup {
  public:
    SpawnSetup() {
        m_ok = posix_spawn_file_actions_init(&m_actions) == 0 &&
               posix_spawnattr_init(&m_attributes) == 0 && detach_standard_streams() &&
               reset_signals();
    }
    ~SpawnSetup() {
        posix_spawnattr_destroy(&m_attributes);
        posix_spawn_file_actions_destroy(&m_actions);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    bool ok() const { return m_ok; }
    const posix_spawn_file_actions_t* actions() const { return &m_actions; }
    const posix_spawnattr_t* attributes() const { return &m_attributes; }

  private:
    // The opener must not write into a terminal display or a driver's protocol output.
    bool detach_standard_streams() {
        for (int descriptor : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
            int flags = descriptor == STDIN_FILENO ? O_RDONLY : O_WRONLY;
            if (posix_spawn_file_actions_addopen(&m_actions, descriptor, "/dev/null", flags, 0) !=
                0) {
                return false;
            }
        }
        return true;
    }
    // A fresh session (no terminal signals reach it), no blocked and no ignored signals.
    bool reset_signals() {
        sigset_t none;
        sigset_t all;
        sigemptyset(&none);
        sigfillset(&all);
        return posix_spawnattr_setflags(&m_attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK |
                                                           POSIX_SPAWN_SETSIGDEF) == 0 &&
               posix_spawnattr_setsigmask(&m_attributes, &none) == 0 &&
               posix_spawnattr_setsigdefault(&m_attributes, &all) == 0;
    }

    posix_spawn_file_actions_t m_actions{};
    posix_spawnattr_t m_attributes{};
    bool m_ok = false;
};

// Starts the program without waiting for it; a detached thread collects its exit status so that
// no zombie is left behind.
bool spawn_detached(const std::vector<std::string>& command) {
    SpawnSetup setup;
    if (!setup.ok()) return false;
    std::vector<char*> argv;
    for (const std::string& part : command)
        argv.push_back(const_cast<char*>(part.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], setup.actions(), setup.attributes(), argv.data(), environ) !=
        0) {
        return false;
    }
    try {
        std::thread([child] {
            while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        // No thread to spare: the program still runs; its exit status waits for ours.
    }
    return true;
}

} // namespace

std::vector<std::string> desktop_command_for_url(std::string_view url,
                                                 std::string_view current_desktop) {
    std::string_view scheme = scheme_of(url);
    if (scheme.empty()) return {};
    if (url == k_battery_settings_url) return power_settings_command(current_desktop);
    if (scheme.size() >= k_foreign_scheme_prefix.size() &&
        equal_ignoring_case(scheme.substr(0, k_foreign_scheme_prefix.size()),
                            k_foreign_scheme_prefix)) {
        return {};
    }
    return {std::string(k_url_opener), std::string(url)};
}

bool open_url_on_desktop(const std::string& url) {
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    std::vector<std::string> command = desktop_command_for_url(url, desktop ? desktop : "");
    if (command.empty()) return false;
    return spawn_detached(command);
}
