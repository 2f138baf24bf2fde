#include "runtime/core/file_replacement.h"

#include "platform/foundation/file_replace.h"
#include "runtime/core/file_system.h"
#include "runtime/core/string_conversions.h"

#include <cerrno>
#include <cstdlib>
#include <memory>

namespace rt {
namespace {

struct FreeBytes {
    void operator()(char* bytes) const { std::free(bytes); }
};

// UTF-8 encoding stops at a high surrogate that no low surrogate follows: the file would lose
// the rest of the text.
bool has_unpaired_high_surrogate(const char16_t* text) {
    for (; *text; ++text) {
        const bool high = text[0] >= 0xD800 && text[0] <= 0xDBFF;
        if (high && !(text[1] >= 0xDC00 && text[1] <= 0xDFFF)) return true;
    }
    return false;
}

} // namespace

int ReplaceFileText(const char16_t* path, const char16_t* text) {
    constexpr mode_t k_mode = 0644;
    const NativePath native = native_path(path);
    if (!native) {
        errno = EINVAL;
        return 0;
    }
    if (text && has_unpaired_high_surrogate(text)) {
        errno = EILSEQ;
        return 0;
    }
    const std::unique_ptr<char, FreeBytes> bytes(StringToUTF8(text));
    if (!bytes) {
        errno = ENOMEM;
        return 0;
    }
    const SystemCall replaced = replace_file_atomically(native.get(), bytes.get(), k_mode);
    errno = replaced.error;
    return replaced.ok() ? 1 : 0;
}

} // namespace rt
