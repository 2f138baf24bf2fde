#include "platform/foundation/ns_bundle.h"

#include "platform/foundation/ns_dictionary.h"
#include "tests/platform/foundation/foundation_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A bundle laid out in a fresh temporary folder, removed at the end of the test.
class TemporaryBundle {
  public:
    explicit TemporaryBundle(const char* info_plist_text) {
        m_root = fs::temp_directory_path() /
                 ("ns_bundle_test_" + std::to_string(getpid()) + "_" + std::to_string(++s_count));
        fs::create_directories(m_root / "Z.app/Contents/MacOS");
        if (info_plist_text) std::ofstream(m_root / "Z.app/Contents/Info.plist") << info_plist_text;
    }
    ~TemporaryBundle() {
        std::error_code error;
        fs::remove_all(m_root, error);
    }

    std::string bundle() const { return (m_root / "Z.app").string(); }
    std::string executable() const { return (m_root / "Z.app/Contents/MacOS/Z").string(); }

  private:
    static inline int s_count = 0;
    fs::path m_root;
};

constexpr const char* k_info_plist = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
    <key>CFBundleIdentifier</key>
    <string>org.zerarazi.Zerarazi</string>
    <key>CFBundleShortVersionString</key>
    <string>1.2</string>
</dict>
</plist>
)";

} // namespace

TEST(NSBundle, FindsTheBundleFromTheExecutablePath) {
    struct Case {
        const char* executable;
        const char* bundle;
        const char* resources;
        const char* info_plist;
    };
    const Case cases[] = {
        {"/opt/Zerarazi.app/Contents/MacOS/Zerarazi", "/opt/Zerarazi.app",
         "/opt/Zerarazi.app/Contents/Resources", "/opt/Zerarazi.app/Contents/Info.plist"},
        {"/a/Tool.bundle/Contents/MacOS/tool", "/a/Tool.bundle",
         "/a/Tool.bundle/Contents/Resources", "/a/Tool.bundle/Contents/Info.plist"},
        {"/Contents/MacOS/x", "/", "/Contents/Resources", "/Contents/Info.plist"},
        {"Z.app/Contents/MacOS/Z", "Z.app", "Z.app/Contents/Resources",
         "Z.app/Contents/Info.plist"},
        {"Contents/MacOS/Z", ".", "./Contents/Resources", "./Contents/Info.plist"},
        // Not a bundle: the executable's own folder.
        {"/work/build/tests/platform_tests", "/work/build/tests", "/work/build/tests", ""},
        {"/Z.app/Contents/Helpers/launchctl", "/Z.app/Contents/Helpers", "/Z.app/Contents/Helpers",
         ""},
        {"/Z.app/Contents/MacOS/sub/Z", "/Z.app/Contents/MacOS/sub", "/Z.app/Contents/MacOS/sub",
         ""},
        {"/Z.app/MacOS/Z", "/Z.app/MacOS", "/Z.app/MacOS", ""},
        {"/Z.app/contents/macos/Z", "/Z.app/contents/macos", "/Z.app/contents/macos", ""},
        {"/MacOS/Z", "/MacOS", "/MacOS", ""},
        {"/tool", "/", "/", ""},
        {"tool", ".", ".", ""},
    };
    for (const Case& row : cases) {
        BundleLocation location = bundle_location_for_executable(row.executable);
        EXPECT_EQ(location.bundle_path, row.bundle) << row.executable;
        EXPECT_EQ(location.resource_path, row.resources) << row.executable;
        EXPECT_EQ(location.info_plist_path, row.info_plist) << row.executable;
    }
}

TEST(NSBundle, ReadsTheIdentifierFromInfoPlist) {
    TemporaryBundle folder(k_info_plist);
    AutoreleasePoolScope pool;
    ObjcRef<NSBundle> bundle = NSBundle::make_for_executable(folder.executable());
    ASSERT_TRUE(bundle);
    EXPECT_EQ(text_of(msg_send<id>(bundle.get(), "bundlePath")), folder.bundle());
    EXPECT_EQ(text_of(msg_send<id>(bundle.get(), "resourcePath")),
              folder.bundle() + "/Contents/Resources");
    EXPECT_EQ(text_of(msg_send<id>(bundle.get(), "executablePath")), folder.executable());
    EXPECT_EQ(text_of(msg_send<id>(bundle.get(), "bundleIdentifier")), "org.zerarazi.Zerarazi");
    EXPECT_EQ(text_of(msg_send<id>(
                  bundle.get(), "objectForInfoDictionaryKey:",
                  static_cast<id>(NSString::make(u"CFBundleShortVersionString").autorelease()))),
              "1.2");
    EXPECT_EQ(msg_send<NSDictionary*>(bundle.get(), "infoDictionary")->count(), 2u);
}

TEST(NSBundle, AMissingOrUnusableInfoPlistGivesNoIdentifier) {
    struct Case {
        const char* text; // null: no file
        NSUInteger info_entries;
    };
    const Case cases[] = {
        {nullptr, 0},
        {"not a property list", 0},
        {R"(<?xml version="1.0"?><plist version="1.0"><array><string>x</string></array></plist>)",
         0},
        {R"(<?xml version="1.0"?><plist version="1.0"><dict><key>CFBundleIdentifier</key>)"
         R"(<integer>5</integer></dict></plist>)",
         1},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.text ? row.text : "<no file>");
        TemporaryBundle folder(row.text);
        ObjcRef<NSBundle> bundle = NSBundle::make_for_executable(folder.executable());
        ASSERT_TRUE(bundle);
        EXPECT_EQ(text_of(bundle->bundlePath()), folder.bundle());
        EXPECT_EQ(bundle->bundleIdentifier(), nil);
        ASSERT_TRUE(bundle->infoDictionary());
        EXPECT_EQ(bundle->infoDictionary()->count(), row.info_entries);
    }
}

// The test executable is in no bundle: its folder stands for one.
TEST(NSBundle, MainBundleOfAPlainExecutableIsItsFolder) {
    std::string executable = fs::read_symlink("/proc/self/exe").string();
    NSBundle* bundle = msg_send<NSBundle*>(class_named("NSBundle"), "mainBundle");
    ASSERT_TRUE(bundle);
    EXPECT_EQ(bundle, NSBundle::mainBundle(nil));
    EXPECT_EQ(text_of(bundle->executablePath()), executable);
    EXPECT_EQ(text_of(bundle->bundlePath()), fs::path(executable).parent_path().string());
    EXPECT_EQ(text_of(bundle->resourcePath()), text_of(bundle->bundlePath()));
    EXPECT_EQ(msg_send<id>(bundle, "bundleIdentifier"), nil);
    // Shared and immortal: an extra release does not free it.
    bundle->release();
    EXPECT_EQ(text_of(bundle->executablePath()), executable);
}
