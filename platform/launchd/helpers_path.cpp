#include "platform/launchd/helpers_path.h"

#include "platform/foundation/ns_bundle.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

constexpr std::string_view k_helpers = "/Contents/Helpers";

std::string_view without_trailing_slashes(std::string_view folder) {
    while (folder.size() > 1 && folder.ends_with('/'))
        folder.remove_suffix(1);
    return folder;
}

bool lists_folder(std::string_view search_path, std::string_view folder) {
    folder = without_trailing_slashes(folder);
    std::size_t start = 0;
    for (;;) {
        std::size_t end = search_path.find(':', start);
        std::string_view entry = search_path.substr(start, end - start);
        if (!entry.empty() && without_trailing_slashes(entry) == folder) return true;
        if (end == std::string_view::npos) return false;
        start = end + 1;
    }
}

} // namespace

std::string search_path_with_helpers(const char* current_path, std::string_view helpers_folder) {
    std::string search_path(current_path ? std::string_view(current_path) : k_default_search_path);
    if (helpers_folder.empty() || lists_folder(search_path, helpers_folder)) return search_path;
    // An empty PATH has no entries; ":" after it would add the current folder.
    if (search_path.empty()) return std::string(helpers_folder);
    return search_path + ":" + std::string(helpers_folder);
}

std::optional<std::string> bundle_helpers_folder(std::string_view executable_path) {
    BundleLocation location = bundle_location_for_executable(executable_path);
    if (location.info_plist_path.empty()) return std::nullopt;
    std::string bundle(without_trailing_slashes(location.bundle_path));
    if (bundle == "/") bundle.clear(); // k_helpers brings its own slash
    return bundle + std::string(k_helpers);
}

void add_bundle_helpers_to_path() {
    std::error_code error;
    std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return;
    std::optional<std::string> helpers = bundle_helpers_folder(executable.string());
    if (!helpers) return;
    std::string search_path = search_path_with_helpers(std::getenv("PATH"), *helpers);
    setenv("PATH", search_path.c_str(), 1);
}
