#include "platform/foundation/ns_bundle.h"

#include "platform/foundation/cf_bundle.h"
#include "platform/foundation/program_identity.h"
#include "tests/platform/foundation/foundation_test_support.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

TEST(NSBundle, FindsTheBundleFromTheExecutablePath) {
    const struct {
        const char* executable;
        const char* bundle;
        const char* resources;
        const char* info_plist;
    } rows[] = {
        {"/opt/Zerarazi.app/Contents/MacOS/Zerarazi", "/opt/Zerarazi.app",
         "/opt/Zerarazi.app/Contents/Resources", "/opt/Zerarazi.app/Contents/Info.plist"},
        {"Contents/MacOS/Z", ".", "./Contents/Resources", "./Contents/Info.plist"},
        // Not a bundle: the executable's own folder.
        {"/Z.app/Contents/Helpers/launchctl", "/Z.app/Contents/Helpers", "/Z.app/Contents/Helpers",
         ""},
        {"/tool", "/", "/", ""},
        {"tool", ".", ".", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.executable);
        BundleLocation location = bundle_location_for_executable(row.executable);
        EXPECT_EQ(location.bundle_path, row.bundle);
        EXPECT_EQ(location.resource_path, row.resources);
        EXPECT_EQ(location.info_plist_path, row.info_plist);
    }
}

// What the bundle's Info.plist names is followed; what it lacks, or what could not be part of a
// file name, is the application's own.
TEST(ProgramIdentity, ComesFromTheBundlesInfoPlist) {
    const struct {
        const char* info; // the dictionary's keys and values; null: no Info.plist
        const char* name;
        const char* identifier;
    } rows[] = {
        {"<key>CFBundleName</key><string>Volta</string>"
         "<key>CFBundleIdentifier</key><string>org.example.Volta</string>",
         "Volta", "org.example.Volta"},
        {nullptr, "Zerarazi", "org.zerarazi.Zerarazi"},
        {"<key>CFBundleName</key><string>a/b</string><key>CFBundleIdentifier</key><string>..</"
         "string>",
         "Zerarazi", "org.zerarazi.Zerarazi"},
    };
    TemporaryFolder folder{"bundle-test-"};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.info ? row.info : "no Info.plist");
        const std::string contents = "B" + std::to_string(&row - rows) + ".app/Contents/";
        const std::string executable = folder.write(contents + "MacOS/B", "");
        if (row.info)
            folder.write(contents + "Info.plist", std::string("<plist version=\"1.0\"><dict>") +
                                                      row.info + "</dict></plist>");
        const ProgramIdentity identity =
            program_identity_of(NSBundle::make_for_executable(executable).get());
        EXPECT_EQ(identity.name, row.name);
        EXPECT_EQ(identity.identifier, row.identifier);
    }
    EXPECT_EQ(program_identity_of(nullptr).name, "Zerarazi");
    EXPECT_EQ((ProgramIdentity{"Zap@[A`{z", ""}.lower_name()), "zap@[a`{z");
}
