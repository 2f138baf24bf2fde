#pragma once
// The chosen limit on disk: one line with a whole percent, in a root-owned file that anyone may
// read. It is replaced whole (a new file renamed over it), so that a crash or a power cut leaves
// either the old limit or the new one.

#include "privileged/system_paths.h"

#include <cstdint>
#include <optional>

// The stored limit; nothing when none was chosen, or when the file holds anything but a valid
// limit.
std::optional<std::uint32_t> read_stored_limit(const SystemPaths& paths);

// Stores the valid `limit`, making the state folder if it is missing; 0 or the errno of the
// failure (the old file is then left as it was).
int store_limit(const SystemPaths& paths, std::uint32_t limit);
