#include "runtime/core/file_system.h"

#include "platform/foundation/home_folder.h"
#include "platform/foundation/system_call.h"
#include "runtime/core/string_conversions.h"

#include <cerrno>
#include <cstring>
#include <span>
#include <sys/stat.h>
#include <unistd.h>

namespace rt {
namespace {

bool is_high_surrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool is_low_surrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// UTF-8 encoding stops at a high surrogate that no low surrogate follows, which would turn
// "a<broken>b" into "a": a different path.
bool has_unpaired_high_surrogate(const char16_t* text) {
    for (; *text; ++text) {
        if (is_high_surrogate(text[0]) && !is_low_surrogate(text[1])) return true;
    }
    return false;
}

enum class PathKind { missing, directory, other };

struct [[nodiscard]] PathStatus {
    PathKind kind;
    int64_t size;
};

PathStatus stat_native(const char* path) {
    struct stat info {};
    if (::stat(path, &info) != 0) return {PathKind::missing, 0};
    if (S_ISDIR(info.st_mode)) return {PathKind::directory, 0};
    return {PathKind::other, static_cast<int64_t>(info.st_size)};
}

struct FreeBytes {
    void operator()(char* bytes) const { std::free(bytes); }
};
using HeapText = std::unique_ptr<char, FreeBytes>;

// Bytes of the folder path without its trailing "/" characters; a path made only of "/" keeps
// none, so that appending one "/" gives the root.
size_t length_without_trailing_slashes(const char* path) {
    size_t length = std::strlen(path);
    while (length > 0 && path[length - 1] == '/')
        --length;
    return length;
}

// Whether the runtime string gives back exactly these bytes: decoding replaces or drops damaged
// UTF-8, and a folder so changed would name another place.
bool encodes_to(const char16_t* text, const char* bytes, size_t length) {
    const HeapText encoded(StringToUTF8(text));
    return encoded && std::strlen(encoded.get()) == length &&
           std::memcmp(encoded.get(), bytes, length) == 0;
}

char16_t* folder_result(const char* folder, TempOffset p) {
    const size_t length = length_without_trailing_slashes(folder);
    const char16_t* decoded = TextFromMemory(folder, static_cast<int64_t>(length),
                                             text_format_utf8 | text_format_length_in_bytes, p);
    if (!encodes_to(decoded, folder, length)) return SetEmptyResult(p);
    AppendTemp(u"/");
    return TempAddress(p + 1);
}

} // namespace

NativePath native_path(const char16_t* path) {
    if (!path || !path[0]) return nullptr;
    if (has_unpaired_high_surrogate(path)) return nullptr;
    return NativePath(StringToUTF8(path));
}

int64_t FileByteSize(const char16_t* path) {
    const NativePath native = native_path(path);
    if (!native) return file_size_missing;
    const PathStatus status = stat_native(native.get());
    switch (status.kind) {
    case PathKind::missing:
        return file_size_missing;
    case PathKind::directory:
        return file_size_directory;
    case PathKind::other:
        break;
    }
    return status.size;
}

int MakeDirectory(const char16_t* path) {
    const NativePath native = native_path(path);
    if (!native) return 0;
    return result_of(system_call("mkdir", ::mkdir(native.get(), 0700)));
}

int RemoveFile(const char16_t* path, [[maybe_unused]] int mode) {
    const NativePath native = native_path(path);
    if (!native) return 0;
    return result_of(system_call("unlink", ::unlink(native.get())));
}

char16_t* HomeFolderPath(TempOffset p) {
    const std::string home = home_folder();
    if (home.empty()) return SetEmptyResult(p);
    return folder_result(home.c_str(), p);
}

String HomeFolderPath() {
    return collect_result([](TempOffset p) { HomeFolderPath(p); });
}

} // namespace rt
