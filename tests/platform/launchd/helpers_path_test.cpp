#include "platform/launchd/helpers_path.h"

#include <gtest/gtest.h>

#include <optional>

TEST(HelpersPath, FindsTheHelpersFolderInsideABundleAndAppendsItToThePathOnceAndLast) {
    const std::pair<const char*, std::optional<std::string>> folders[] = {
        {"/opt/Z.app/Contents/MacOS/Zerarazi", "/opt/Z.app/Contents/Helpers"},
        {"/opt/Z.app/Contents/Helpers/launchctl", std::nullopt},
        {"/usr/bin/zerarazi", std::nullopt}};

    for (const auto& [executable, expected] : folders)
        EXPECT_EQ(bundle_helpers_folder(executable), expected) << executable;

    const std::string helpers = "/opt/Z.app/Contents/Helpers";
    const std::pair<const char*, std::string> paths[] = {
        // null: unset
        {"/usr/bin:/bin", "/usr/bin:/bin:" + helpers},
        {nullptr, "/usr/local/bin:/usr/bin:/bin:" + helpers},
        {"/bin:/opt/Z.app/Contents/Helpers:/usr/bin", "/bin:" + helpers + ":/usr/bin"},
        {"/opt/Z.app/Contents/Helpers2", helpers + "2:" + helpers}, // another folder
    };
    for (const auto& [path, expected] : paths)
        EXPECT_EQ(search_path_with_helpers(path, helpers), expected) << (path ? path : "<unset>");
}
