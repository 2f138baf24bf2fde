#pragma once
// Replacing a file's whole content so that a reader sees either the old file or the new one,
// never half of one, and the outcome of the system calls that does it.

#include "platform/foundation/system_call.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>

// Writes all of `text`, going on after interrupted writes.
SystemCall write_all(int descriptor, std::string_view text);

// What tells one version of a file from another without reading it: a file replaced by renaming
// has another inode, one rewritten in place another size or modification time.
struct FileVersion {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modified_ns = 0;

    bool operator==(const FileVersion&) const = default;
};

FileVersion file_version_of(const struct stat& status);
// The version of the file at `path`, symbolic links followed; nullopt when nothing is there or
// it cannot be examined.
std::optional<FileVersion> file_version_at(const std::string& path);

// Writes `text` with `mode` into a hidden temporary file beside `path` (".<name>.XXXXXX", which
// never ends like the file itself), flushes it to the disk and renames it over `path`; a symbolic
// link at `path` is itself replaced, never followed. On failure the temporary file is removed and
// `path` is as it was. `written`, when given, receives the version of the new file.
SystemCall replace_file_atomically(const std::string& path, std::string_view text, mode_t mode,
                                   FileVersion* written = nullptr);
