#pragma once
// A file of a power_supply folder, read again at every refresh.
//
// On sysfs the file stays open between readings and each reading reads it from its start: the
// kernel writes an attribute's text afresh for every read from offset 0, and once its device is
// gone the open file fails to read (ENODEV) instead of giving the old text, so the path is looked
// up again only then. That saves the path lookup, the open and the close, which on sysfs cost
// several times the read itself. Any other folder (a recording, a hand-made tree) may replace a
// file by renaming a new one over it, which an open descriptor would never see: there the file
// is opened for every reading.

#include "platform/foundation/system_call.h"

#include <cstddef>
#include <optional>
#include <string>

// The kernel's files hold at most a page; anything longer comes from a hand-made folder and is
// cut at its last whole line within this limit.
constexpr std::size_t k_max_attribute_file_bytes = 16384;

// Reads the whole file at `path` into `text`, cut as above; after a failure `text` means nothing.
// Non-blocking, so that a FIFO or a device in a hand-made folder cannot stall the reader.
SystemCall read_attribute_file(const char* path, std::string& text);

class AttributeFile {
  public:
    explicit AttributeFile(std::string path) : m_path(std::move(path)) {}
    AttributeFile(AttributeFile&& other) noexcept;
    AttributeFile& operator=(AttributeFile&&) = delete;
    AttributeFile(const AttributeFile&) = delete;
    AttributeFile& operator=(const AttributeFile&) = delete;
    ~AttributeFile() { close_held(); }

    // As read_attribute_file(path(), text), from the file held open when it is on sysfs.
    SystemCall read(std::string& text);

    const std::string& path() const { return m_path; }
    // The file is held open until the next reading.
    bool held() const { return m_held >= 0; }

  private:
    void close_held();

    std::string m_path;
    // Whether the path leads into sysfs, known from the first file opened there.
    std::optional<bool> m_on_sysfs;
    int m_held = -1;
};
