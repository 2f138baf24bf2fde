#pragma once
// The bundle's helper programs (Contents/Helpers, where launchctl lives) are found through PATH.
// The folder goes last, so that a program of the same name earlier on PATH is preferred.

#include <optional>
#include <string>
#include <string_view>

// The PATH used when none is set.
inline constexpr std::string_view k_default_search_path = "/usr/local/bin:/usr/bin:/bin";

// `current_path` (null when PATH is unset) with `helpers_folder` appended; unchanged when the
// folder is already one of its entries.
std::string search_path_with_helpers(const char* current_path, std::string_view helpers_folder);
// X.app/Contents/Helpers for an executable at X.app/Contents/MacOS/name; nullopt for an
// executable outside a bundle.
std::optional<std::string> bundle_helpers_folder(std::string_view executable_path);
// Appends the running executable's helpers folder to PATH; does nothing outside a bundle. Meant
// for start-up, before any thread reads the environment.
void add_bundle_helpers_to_path();
