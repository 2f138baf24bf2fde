#include "platform/foundation/ns_process_info.h"

#include "platform/foundation/ns_string.h"

#include <charconv>
#include <cstdlib>

namespace {

// A decimal number filling all of `text`.
std::optional<NSInteger> parse_version_part(std::string_view text) {
    if (text.empty() || text[0] < '0' || text[0] > '9') return std::nullopt;
    NSInteger value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

} // namespace

std::optional<NSOperatingSystemVersion> parse_os_version(std::string_view text) {
    NSInteger parts[3] = {};
    for (NSInteger& part : parts) {
        std::size_t dot = text.find('.');
        std::optional<NSInteger> value = parse_version_part(text.substr(0, dot));
        if (!value) return std::nullopt;
        part = *value;
        if (dot == std::string_view::npos)
            return NSOperatingSystemVersion{parts[0], parts[1], parts[2]};
        text.remove_prefix(dot + 1);
    }
    return std::nullopt; // a fourth part
}

NSProcessInfo* NSProcessInfo::processInfo(Class) {
    static NSProcessInfo* const shared = [] {
        NSProcessInfo* info = make_native<NSProcessInfo>().take();
        if (info) ObjectHeader::make_immortal(*info);
        return info;
    }();
    return shared;
}

NSOperatingSystemVersion NSProcessInfo::operatingSystemVersion() const {
    const char* text = std::getenv("ZERARAZI_OS_VERSION");
    if (!text) return k_default_os_version;
    return parse_os_version(text).value_or(k_default_os_version);
}

void register_ns_process_info_class() {
    register_native_class<NSProcessInfo>(
        "NSProcessInfo", "NSObject",
        {
            class_method<&NSProcessInfo::processInfo>("processInfo"),
            instance_method<&NSProcessInfo::operatingSystemVersion>("operatingSystemVersion"),
        });
}
