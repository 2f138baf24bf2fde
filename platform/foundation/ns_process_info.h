#pragma once
// NSProcessInfo: the one object describing this process. The operating-system version it
// reports is the interface level this platform offers, 12.0.0, unless ZERARAZI_OS_VERSION holds
// another "major.minor.patch" (read at each call, so tests may change it).

#include "platform/objc/native_class.h"

#include <optional>
#include <string_view>

struct NSOperatingSystemVersion {
    NSInteger majorVersion;
    NSInteger minorVersion;
    NSInteger patchVersion;
};

template <>
struct ObjcStructEncoding<NSOperatingSystemVersion> {
    static constexpr std::string_view value = "{NSOperatingSystemVersion=qqq}";
};

inline constexpr NSOperatingSystemVersion k_default_os_version{12, 0, 0};

// One to three dot-separated decimal numbers, each without sign or blanks and within NSInteger's
// range, the missing parts 0 ("11" is 11.0.0); nothing otherwise.
std::optional<NSOperatingSystemVersion> parse_os_version(std::string_view text);

class NSProcessInfo : public NSObject {
  public:
    NSProcessInfo() = default;

    // The shared instance, immortal.
    static NSProcessInfo* processInfo(Class self);

    // A malformed or absent ZERARAZI_OS_VERSION gives k_default_os_version.
    NSOperatingSystemVersion operatingSystemVersion() const;
};

void register_ns_process_info_class();
