#pragma once
// Replacing a file's whole content so that a reader sees either the old file or the new one,
// never half of one, and the outcome of the system calls that does it.

#include <string>
#include <string_view>
#include <sys/types.h>

// The outcome of a system call: its name and errno when it failed.
struct [[nodiscard]] SystemCall {
    const char* name = nullptr;
    int error = 0;

    bool ok() const { return name == nullptr; }
    // "rename: Permission denied"
    std::string message() const;
};

// The failure of the call `name`, with the current errno.
SystemCall failed_call(const char* name);

// Writes all of `text`, going on after interrupted writes.
SystemCall write_all(int descriptor, std::string_view text);

// Writes `text` with `mode` into a hidden temporary file beside `path` (".<name>.XXXXXX", which
// never ends like the file itself), flushes it to the disk and renames it over `path`. On
// failure the temporary file is removed and `path` is as it was.
SystemCall replace_file_atomically(const std::string& path, std::string_view text, mode_t mode);
