#include "platform/display/desktop_module.h"

#include "platform/display/desktop_url_opener.h"
#include "platform/foundation/ns_bundle.h"
#include "platform/foundation/ns_string.h"
#include "platform/foundation/ns_user_defaults.h"
#include "platform/objc/autorelease_pool.h"

#include <dlfcn.h>
#include <filesystem>
#include <optional>
#include <unistd.h>

namespace {

std::string stored_text_setting(const char* key) {
    AutoreleasePoolScope pool;
    ObjcRef<NSString> name = NSString::from_utf8(key);
    const auto* text = dynamic_cast<const NSString*>(
        NSUserDefaults::standardUserDefaults(nullptr)->objectForKey(name.get()));
    return text ? text->utf8() : std::string();
}

// X.app/Contents/PlugIns/desktop-display.so when this process runs X.app/Contents/MacOS/name;
// nullopt outside a bundle.
std::optional<std::string> running_module_path() {
    std::error_code error;
    std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::nullopt;
    BundleLocation location = bundle_location_for_executable(executable.string());
    if (location.info_plist_path.empty()) return std::nullopt;
    std::filesystem::path contents = std::filesystem::path(location.info_plist_path).parent_path();
    return (contents / "PlugIns" / "desktop-display.so").string();
}

} // namespace

bool desktop_module_present() {
    std::optional<std::string> path = running_module_path();
    return path && ::access(path->c_str(), R_OK) == 0;
}

std::unique_ptr<Display> make_desktop_display(const ProgramIdentity& identity) {
    std::optional<std::string> path = running_module_path();
    if (!path) {
        say_problem({"the desktop display is not built into this program"});
        return nullptr;
    }
    void* module = ::dlopen(path->c_str(), RTLD_NOW | RTLD_LOCAL);
    auto* make = module ? reinterpret_cast<decltype(&zerarazi_make_desktop_display)>(
                              ::dlsym(module, k_desktop_display_maker))
                        : nullptr;
    if (!make) {
        const char* reason = ::dlerror();
        say_problem({"cannot load the desktop display: ", reason ? reason : "no reason given"});
        return nullptr;
    }
    const DesktopHost host{identity, open_url_on_desktop, set_problem_handler, say_problem,
                           stored_text_setting};
    return std::unique_ptr<Display>(make(&host));
}
