#include "platform/foundation/directory_entries.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

DirectoryEntries::DirectoryEntries(int folder_fd, const char* name)
    : m_fd(::openat(folder_fd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC)), m_ended(m_fd < 0) {}

DirectoryEntries::~DirectoryEntries() {
    if (m_fd >= 0) ::close(m_fd);
}

std::optional<DirectoryEntry> DirectoryEntries::next() {
    while (m_at >= m_filled) {
        if (m_ended) return std::nullopt;
        const ssize_t filled = ::getdents64(m_fd, m_buffer, sizeof m_buffer);
        if (filled <= 0) {
            m_ended = true;
            return std::nullopt;
        }
        m_filled = static_cast<std::size_t>(filled);
        m_at = 0;
    }
    // The kernel lays the records out 8-byte aligned, one after the other.
    const auto* record = reinterpret_cast<const dirent64*>(m_buffer + m_at);
    m_at += record->d_reclen;
    return DirectoryEntry{record->d_name, record->d_type};
}
