#pragma once
// The entries of a folder, read straight from the kernel into a buffer the reader holds. Opening
// with opendir costs a status call, two descriptor-flag calls and a 32 KB allocation besides the
// open and the reads; a folder listed again and again, as the power_supply folder is, needs none
// of them.
//
//     DirectoryEntries supplies(AT_FDCWD, "/sys/class/power_supply");
//     while (std::optional<DirectoryEntry> entry = supplies.next()) use(entry->name);

#include <cstddef>
#include <optional>
#include <string_view>

struct DirectoryEntry {
    std::string_view name; // valid until the next call of next()
    unsigned char type;    // DT_DIR, DT_REG, DT_LNK, ... or DT_UNKNOWN
};

class DirectoryEntries {
  public:
    // Opens the folder `name` relative to `folder_fd` (AT_FDCWD: relative to the working
    // folder). A folder that cannot be opened has no entries and opened() is false.
    DirectoryEntries(int folder_fd, const char* name);
    ~DirectoryEntries();
    DirectoryEntries(const DirectoryEntries&) = delete;
    DirectoryEntries& operator=(const DirectoryEntries&) = delete;

    bool opened() const { return m_fd >= 0; }
    // The folder's descriptor, for opening what it holds; -1 when it is not open.
    int fd() const { return m_fd; }
    // The next entry, "." and ".." included; none at the end or after a failed read.
    std::optional<DirectoryEntry> next();

  private:
    int m_fd;
    bool m_ended; // at the end, after a failed read, or never opened
    std::size_t m_filled = 0;
    std::size_t m_at = 0;
    alignas(8) char m_buffer[4096];
};
