#include "privileged/supply_folder.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// The kernel's attributes hold at most a page.
constexpr std::size_t k_max_attribute_bytes = 4096;

bool is_plain_name(const std::string& name) {
    return !name.empty() && name.front() != '.' && name.find('/') == std::string::npos;
}

std::optional<std::string> resolved(const std::string& path) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr),
                                                           &std::free);
    if (!real) return std::nullopt;
    return std::string(real.get());
}

bool lies_inside(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() + 1 && path.starts_with(folder) &&
           path[folder.size()] == '/';
}

// The path the open folder `fd` has now, as the kernel sees it.
std::string path_of(int fd) {
    char link[64];
    char target[PATH_MAX];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = ::readlink(link, target, sizeof target);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target) return {};
    return std::string(target, static_cast<std::size_t>(length));
}

// Opens the plain file `name` in the folder `folder`: never a link, a device or a pipe, whose
// opening alone may do something.
int open_plain(int folder, const char* name, int flags) {
    struct stat before {};
    if (::fstatat(folder, name, &before, AT_SYMLINK_NOFOLLOW) != 0) return -1;
    if (!S_ISREG(before.st_mode)) {
        errno = EINVAL;
        return -1;
    }
    const int fd = ::openat(folder, name, flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat after {};
    if (fd < 0) return -1;
    if (::fstat(fd, &after) != 0 || after.st_dev != before.st_dev ||
        after.st_ino != before.st_ino) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

std::string without_line_end(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

} // namespace

std::optional<SupplyFolder> SupplyFolder::open(const SystemPaths& paths, const std::string& name) {
    if (!is_plain_name(name)) return std::nullopt;
    const auto devices = resolved(paths.devices_folder());
    const auto folder = resolved(paths.supply_folder() + "/" + name);
    if (!devices || !folder || !lies_inside(*folder, *devices)) return std::nullopt;
    const int fd = ::open(folder->c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    if (path_of(fd) != *folder) {
        ::close(fd);
        return std::nullopt;
    }
    return SupplyFolder(name, fd);
}

SupplyFolder::SupplyFolder(SupplyFolder&& other) noexcept
    : m_name(std::move(other.m_name)), m_fd(std::exchange(other.m_fd, -1)) {}

SupplyFolder::~SupplyFolder() {
    if (m_fd >= 0) ::close(m_fd);
}

bool SupplyFolder::has(const char* attribute) const {
    struct stat status {};
    return ::fstatat(m_fd, attribute, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(status.st_mode);
}

std::optional<std::string> SupplyFolder::read(const char* attribute) const {
    const int fd = open_plain(m_fd, attribute, O_RDONLY);
    if (fd < 0) return std::nullopt;
    std::string text(k_max_attribute_bytes, '\0');
    const ssize_t length = ::read(fd, text.data(), text.size());
    ::close(fd);
    if (length < 0) return std::nullopt;
    text.resize(static_cast<std::size_t>(length));
    return without_line_end(std::move(text));
}

int SupplyFolder::write(const char* attribute, const std::string& text) const {
    const int fd = open_plain(m_fd, attribute, O_WRONLY | O_TRUNC);
    if (fd < 0) return errno;
    errno = 0;
    const bool whole = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    const int error = whole ? 0 : (errno != 0 ? errno : EIO);
    ::close(fd);
    return error;
}

bool SupplyFolder::is_system_battery() const {
    if (read("type") != "Battery") return false;
    const auto scope = read("scope");
    return !scope || *scope == "System";
}
