#include "platform/foundation/ns_process_info.h"

#include "tests/platform/foundation/foundation_test_support.h"

#include <gtest/gtest.h>

namespace {

std::string version_text(const std::optional<NSOperatingSystemVersion>& version) {
    if (!version) return "none";
    return std::to_string(version->majorVersion) + "." + std::to_string(version->minorVersion) +
           "." + std::to_string(version->patchVersion);
}

} // namespace

TEST(NSProcessInfo, ParsesOneToThreeDecimalVersionNumbers) {
    const std::pair<const char*, const char*> rows[] = {
        {"14.6.1", "14.6.1"},
        {"9223372036854775807.0.0", "9223372036854775807.0.0"},
        {"9223372036854775808.0.0", "none"},
        {"13", "13.0.0"},
        {"13.1.2.4", "none"},
        {"", "none"},
    };
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(version_text(parse_os_version(text)), expected) << '"' << text << '"';
}
