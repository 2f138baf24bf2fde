#include "platform/foundation/ns_bundle.h"

#include "platform/foundation/ns_dictionary.h"
#include "platform/foundation/ns_string.h"
#include "platform/foundation/property_list.h"

#include <filesystem>
#include <optional>
#include <system_error>

namespace {

constexpr std::string_view k_contents = "Contents";
constexpr std::string_view k_executables = "MacOS";

// The folder part of `path`: "/" for a file at the root, "." for a bare name.
std::string_view folder_of(std::string_view path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return ".";
    return slash == 0 ? std::string_view("/") : path.substr(0, slash);
}

std::string_view name_of(std::string_view path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string joined(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.ends_with('/')) path += '/';
    return path + std::string(name);
}

// The folder laid out as X/Contents/MacOS around the executable's folder, if it is one.
std::optional<std::string_view> enclosing_bundle(std::string_view executable_folder) {
    if (name_of(executable_folder) != k_executables) return std::nullopt;
    std::string_view contents = folder_of(executable_folder);
    if (name_of(contents) != k_contents) return std::nullopt;
    return folder_of(contents);
}

std::optional<std::string> executable_path_of_process() {
    std::error_code error;
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::nullopt;
    return path.string();
}

ObjcRef<NSDictionary> read_info_dictionary(const std::string& path) {
    if (!path.empty()) {
        ObjcRef<NSObject> root = read_property_list_file(path);
        if (auto* dictionary = dynamic_cast<NSDictionary*>(root.get())) {
            return ObjcRef<NSDictionary>::retain(dictionary);
        }
    }
    return NSDictionary::make({}, {});
}

} // namespace

BundleLocation bundle_location_for_executable(std::string_view executable_path) {
    std::string_view folder = folder_of(executable_path);
    std::optional<std::string_view> bundle = enclosing_bundle(folder);
    if (!bundle) return {std::string(folder), std::string(folder), {}};
    std::string contents = joined(*bundle, k_contents);
    return {std::string(*bundle), joined(contents, "Resources"), joined(contents, "Info.plist")};
}

ObjcRef<NSBundle> NSBundle::make_for_executable(std::string_view executable_path) {
    ObjcRef<NSBundle> bundle = make_native<NSBundle>();
    if (!bundle) return {};
    BundleLocation location = bundle_location_for_executable(executable_path);
    bundle->m_bundle_path = NSString::from_utf8(location.bundle_path);
    bundle->m_resource_path = NSString::from_utf8(location.resource_path);
    bundle->m_executable_path = NSString::from_utf8(executable_path);
    bundle->m_info = read_info_dictionary(location.info_plist_path);
    return bundle;
}

NSBundle* NSBundle::mainBundle(Class) {
    static NSBundle* const main = []() -> NSBundle* {
        std::optional<std::string> path = executable_path_of_process();
        if (!path) return nil;
        NSBundle* bundle = make_for_executable(*path).take();
        if (bundle) ObjectHeader::make_immortal(*bundle);
        return bundle;
    }();
    return main;
}

void register_ns_bundle_class() {
    register_native_class<NSBundle>("NSBundle", "NSObject",
                                    {
                                        class_method<&NSBundle::mainBundle>("mainBundle"),
                                        instance_method<&NSBundle::bundlePath>("bundlePath"),
                                        instance_method<&NSBundle::resourcePath>("resourcePath"),
                                    });
}
