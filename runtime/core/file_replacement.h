#pragma once
// Replacing a whole file so that no reader, and no failure, ever leaves half of it.

#include "runtime/core/rt_string.h"

namespace rt {

// 1 when the file at `path` was replaced by one holding `text` in UTF-8 (no byte-order mark) with
// permissions 0644: the text goes to a temporary file beside it, which is then renamed over it,
// so that a reader sees the old file or the new one, and a symbolic link at `path` is itself
// replaced, not followed. 0 otherwise, with the old file as it was and errno telling why; a path
// refused by native_path gives EINVAL, a text that UTF-8 cannot carry whole EILSEQ.
int ReplaceFileText(const char16_t* path, const char16_t* text);

inline int ReplaceFileText(TextArg path, TextArg text) {
    return ReplaceFileText(path.get(), text.get());
}

} // namespace rt
