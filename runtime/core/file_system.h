#pragma once
// File-system operations on paths given as runtime strings: the size or kind of a path, making a
// directory, removing a file and finding the user's home folder. Paths reach the system as UTF-8;
// a path that UTF-8 cannot carry whole is refused rather than shortened, so that no operation ever
// acts on a different path than the one it was given.

#include "runtime/core/rt_string.h"
#include "runtime/core/temp_area.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace rt {

struct FreeNativePath {
    void operator()(char* path) const { std::free(path); }
};
using NativePath = std::unique_ptr<char, FreeNativePath>;

// The UTF-8 form of a path; null for a null or empty path, for a path holding a high surrogate
// without its low surrogate (its UTF-8 form would end there), and when out of memory.
NativePath native_path(const char16_t* path);

// The answers of FileByteSize that are no size.
inline constexpr int64_t file_size_missing = -1;
inline constexpr int64_t file_size_directory = -2;

// Size in bytes of what the path names (symbolic links followed); file_size_missing when it
// cannot be examined (no such path, a null or unusable path, a name too long), and
// file_size_directory for a directory.
int64_t FileByteSize(const char16_t* path);
// 1 when a new directory (permissions 0700 before the umask) was made; 0 otherwise, also when
// the path already exists.
int MakeDirectory(const char16_t* path);
// 1 when the file (not a directory) was removed, 0 otherwise. `mode` is accepted for callers
// that pass one and changes nothing.
int RemoveFile(const char16_t* path, int mode = 0);
// The user's home folder with exactly one "/" at its end: $HOME when it is an absolute path,
// otherwise the password database's entry for the user running the program. The empty result
// when neither gives a folder.
char16_t* HomeFolderPath(TempOffset p);

// The same operations for C++ code.
inline int64_t FileByteSize(TextArg path) {
    return FileByteSize(path.get());
}
inline int MakeDirectory(TextArg path) {
    return MakeDirectory(path.get());
}
inline int RemoveFile(TextArg path, int mode = 0) {
    return RemoveFile(path.get(), mode);
}
String HomeFolderPath();

} // namespace rt
