#include "platform/iokit/attribute_file.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <utility>

namespace {

int open_attribute_file(const char* path) {
    return ::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
}

// Reads the file `fd` into `text`. A file read before (`again`) is read from its start; one just
// opened from where it stands, so that a pipe reads too.
SystemCall read_whole(int fd, std::string& text, bool again) {
    text.clear();
    char buffer[4096];
    while (text.size() < k_max_attribute_file_bytes) {
        std::size_t wanted = std::min(sizeof buffer, k_max_attribute_file_bytes - text.size());
        ssize_t count = again ? ::pread(fd, buffer, wanted, static_cast<off_t>(text.size()))
                              : ::read(fd, buffer, wanted);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return failed_call("read");
        text.append(buffer, static_cast<std::size_t>(count));
        // A short read is the end of a file; sysfs hands out a whole attribute in one read.
        if (static_cast<std::size_t>(count) < wanted) return {};
    }
    text.erase(text.find_last_of('\n') + 1); // npos + 1 clears a text without a line end
    return {};
}

bool is_on_sysfs(int fd) {
    struct statfs filesystem {};
    return ::fstatfs(fd, &filesystem) == 0 && filesystem.f_type == SYSFS_MAGIC;
}

} // namespace

SystemCall read_attribute_file(const char* path, std::string& text) {
    const int fd = open_attribute_file(path);
    if (fd < 0) return failed_call("open");
    SystemCall result = read_whole(fd, text, false);
    ::close(fd);
    return result;
}

AttributeFile::AttributeFile(AttributeFile&& other) noexcept
    : m_path(std::move(other.m_path)), m_on_sysfs(other.m_on_sysfs),
      m_held(std::exchange(other.m_held, -1)) {}

SystemCall AttributeFile::read(std::string& text) {
    if (held()) {
        if (read_whole(m_held, text, true).ok()) return {};
        close_held(); // its device went, perhaps to come back under the same path
    }
    const int fd = open_attribute_file(m_path.c_str());
    if (fd < 0) return failed_call("open");
    SystemCall result = read_whole(fd, text, false);
    if (result.ok() && !m_on_sysfs) m_on_sysfs = is_on_sysfs(fd);
    if (result.ok() && *m_on_sysfs) {
        m_held = fd;
    } else {
        ::close(fd);
    }
    return result;
}

void AttributeFile::close_held() {
    if (held()) ::close(std::exchange(m_held, -1));
}
