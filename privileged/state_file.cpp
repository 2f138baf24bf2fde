#include "privileged/state_file.h"

#include "privileged/limit_rule.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* k_new_file_name = ".charge-limit.new";
constexpr mode_t k_file_mode = 0644;
constexpr mode_t k_folder_mode = 0755;

int open_state_folder(const SystemPaths& paths) {
    if (::mkdir(paths.state.c_str(), k_folder_mode) != 0 && errno != EEXIST) return -1;
    return ::open(paths.state.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

bool write_all(int fd, const std::string& text) {
    return ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

// Writes `text` into a new file in `folder` and renames it over the state file.
int replace_state_file(int folder, const std::string& text) {
    ::unlinkat(folder, k_new_file_name, 0); // left by a crash
    const int fd = ::openat(folder, k_new_file_name,
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, k_file_mode);
    if (fd < 0) return errno;
    // The mode asked for above passes through the umask.
    const bool written = ::fchmod(fd, k_file_mode) == 0 && write_all(fd, text) && ::fsync(fd) == 0;
    int error = written ? 0 : errno;
    ::close(fd);
    if (!error &&
        ::renameat(folder, k_new_file_name, folder, SystemPaths::k_state_file_name) != 0) {
        error = errno;
    }
    if (error) ::unlinkat(folder, k_new_file_name, 0);
    return error;
}

} // namespace

std::optional<std::uint32_t> read_stored_limit(const SystemPaths& paths) {
    const int fd =
        ::open(paths.state_file().c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    char text[8];
    const ssize_t length = ::read(fd, text, sizeof text);
    ::close(fd);
    if (length < 0) return std::nullopt;
    const auto limit = parse_percent(std::string_view(text, static_cast<std::size_t>(length)));
    if (!limit || !is_valid_limit(*limit)) return std::nullopt;
    return limit;
}

int store_limit(const SystemPaths& paths, std::uint32_t limit) {
    const int folder = open_state_folder(paths);
    if (folder < 0) return errno;
    int error = replace_state_file(folder, std::to_string(limit) + "\n");
    // The rename itself is made lasting by syncing the folder that holds it.
    if (!error && ::fsync(folder) != 0) error = errno;
    ::close(folder);
    return error;
}
