#include "platform/foundation/ns_process_info.h"

#include "platform/foundation/ns_dictionary.h"
#include "platform/foundation/ns_string.h"

#include <charconv>
#include <cstdlib>
#include <tuple>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// A decimal number filling all of `text`.
std::optional<NSInteger> parse_version_part(std::string_view text) {
    if (text.empty() || text[0] < '0' || text[0] > '9') return std::nullopt;
    NSInteger value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

auto as_tuple(const NSOperatingSystemVersion& version) {
    return std::tie(version.majorVersion, version.minorVersion, version.patchVersion);
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

BOOL NSProcessInfo::isOperatingSystemAtLeastVersion(NSOperatingSystemVersion version) const {
    return as_tuple(operatingSystemVersion()) >= as_tuple(version) ? YES : NO;
}

int NSProcessInfo::processIdentifier() const {
    return static_cast<int>(getpid());
}

NSDictionary* NSProcessInfo::environment() const {
    std::vector<ObjcRef<>> strings;
    std::vector<id> keys;
    std::vector<id> values;
    for (char** entry = environ; entry && *entry; ++entry) {
        std::string_view text(*entry);
        std::size_t equals = text.find('=');
        if (equals == std::string_view::npos) continue;
        keys.push_back(strings.emplace_back(NSString::from_utf8(text.substr(0, equals))).get());
        values.push_back(strings.emplace_back(NSString::from_utf8(text.substr(equals + 1))).get());
    }
    return NSDictionary::make(keys, values).autorelease();
}

void register_ns_process_info_class() {
    register_native_class<NSProcessInfo>(
        "NSProcessInfo", "NSObject",
        {
            class_method<&NSProcessInfo::processInfo>("processInfo"),
            instance_method<&NSProcessInfo::operatingSystemVersion>("operatingSystemVersion"),
            instance_method<&NSProcessInfo::isOperatingSystemAtLeastVersion>(
                "isOperatingSystemAtLeastVersion:"),
            instance_method<&NSProcessInfo::processIdentifier>("processIdentifier"),
            instance_method<&NSProcessInfo::environment>("environment"),
        });
}
