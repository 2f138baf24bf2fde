#include "platform/launchd/helpers_path.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

constexpr const char* k_helpers = "/opt/Z.app/Contents/Helpers";

TEST(HelpersPath, AppendsTheHelpersFolderOnceAndLast) {
    struct Case {
        const char* path; // null: unset
        std::string expected;
    };
    const Case cases[] = {
        {"/usr/bin:/bin", "/usr/bin:/bin:/opt/Z.app/Contents/Helpers"},
        {nullptr, "/usr/local/bin:/usr/bin:/bin:/opt/Z.app/Contents/Helpers"},
        {"", "/opt/Z.app/Contents/Helpers"},
        {"/opt/Z.app/Contents/Helpers", "/opt/Z.app/Contents/Helpers"},
        {"/bin:/opt/Z.app/Contents/Helpers:/usr/bin", "/bin:/opt/Z.app/Contents/Helpers:/usr/bin"},
        {"/opt/Z.app/Contents/Helpers/:/bin", "/opt/Z.app/Contents/Helpers/:/bin"},
        // A longer folder that merely starts with the same text is another folder.
        {"/opt/Z.app/Contents/Helpers2",
         "/opt/Z.app/Contents/Helpers2:/opt/Z.app/Contents/Helpers"},
        {"/bin:", "/bin::/opt/Z.app/Contents/Helpers"},
    };
    for (const Case& row : cases) {
        EXPECT_EQ(search_path_with_helpers(row.path, k_helpers), row.expected)
            << "PATH=" << (row.path ? row.path : "<unset>");
    }
}

TEST(HelpersPath, FindsTheHelpersFolderOnlyInsideABundle) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"/opt/Z.app/Contents/MacOS/Zerarazi", "/opt/Z.app/Contents/Helpers"},
        {"/b/My Z.app/Contents/MacOS/Zerarazi", "/b/My Z.app/Contents/Helpers"},
        {"/opt/Z.app/Contents/Helpers/launchctl", std::nullopt},
        {"/usr/bin/zerarazi", std::nullopt},
        {"tests", std::nullopt},
    };
    for (const auto& [executable, expected] : cases) {
        EXPECT_EQ(bundle_helpers_folder(executable), expected) << "executable: " << executable;
    }
}

} // namespace
