#include "platform/foundation/cf_bundle.h"

#include "tests/platform/foundation/foundation_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

TEST(CFBundle, MainBundleUrlGivesTheBundleFolderAsAPath) {
    CFBundleRef bundle = CFBundleGetMainBundle();
    ASSERT_TRUE(bundle);
    EXPECT_EQ(bundle, NSBundle::mainBundle(nil));
    CFURLRef url = CFBundleCopyBundleURL(bundle);
    ASSERT_TRUE(url);
    std::string folder = text_of(bundle->bundlePath());
    char path[4096];
    ASSERT_TRUE(
        CFURLGetFileSystemRepresentation(url, true, reinterpret_cast<UInt8*>(path), sizeof path));
    EXPECT_EQ(std::string(path), folder);
    CFStringRef text = CFURLCopyAbsoluteString(url);
    EXPECT_EQ(text_of(cf_object(text)), "file://" + folder + "/");
    CFRelease(text);
    CFRelease(url);
    EXPECT_EQ(CFBundleGetIdentifier(bundle), nullptr);
}

TEST(CFBundle, FileSystemRepresentationNeedsRoomForTheZero) {
    ObjcRef<NSURL> url = NSURL::make("file:///tmp/a%20b/");
    ASSERT_TRUE(url);
    const std::string expected = "/tmp/a b";
    struct Case {
        CFIndex size;
        bool fits;
    };
    const Case cases[] = {{0, false}, {1, false}, {8, false}, {9, true}, {64, true}};
    for (const Case& row : cases) {
        std::vector<UInt8> buffer(std::size_t(row.size) + 1, 0xAA);
        Boolean written =
            CFURLGetFileSystemRepresentation(url.get(), false, buffer.data(), row.size);
        EXPECT_EQ(written != 0, row.fits) << row.size;
        if (written) {
            EXPECT_EQ(reinterpret_cast<const char*>(buffer.data()), expected);
        }
        // Nothing past the size given, and nothing at all on failure.
        EXPECT_EQ(buffer[std::size_t(row.size)], 0xAA) << row.size;
        if (!written && row.size > 0) {
            EXPECT_EQ(buffer[0], 0xAA) << row.size;
        }
    }
}

TEST(CFBundle, OnlyLocalFileUrlsHaveAFileSystemRepresentation) {
    char buffer[64];
    auto* bytes = reinterpret_cast<UInt8*>(buffer);
    for (const char* text : {"https://example.org/x", "file://otherhost/x", "file:///a%00b"}) {
        ObjcRef<NSURL> url = NSURL::make(text);
        ASSERT_TRUE(url) << text;
        EXPECT_FALSE(CFURLGetFileSystemRepresentation(url.get(), true, bytes, sizeof buffer))
            << text;
    }
    ObjcRef<NSURL> local = NSURL::make("file://localhost/etc/hosts");
    EXPECT_TRUE(CFURLGetFileSystemRepresentation(local.get(), true, bytes, sizeof buffer));
    EXPECT_STREQ(buffer, "/etc/hosts");
    EXPECT_FALSE(CFURLGetFileSystemRepresentation(nullptr, true, bytes, sizeof buffer));
    EXPECT_FALSE(CFURLGetFileSystemRepresentation(local.get(), true, nullptr, 64));
    EXPECT_EQ(CFBundleCopyBundleURL(nullptr), nullptr);
    EXPECT_EQ(CFBundleGetIdentifier(nullptr), nullptr);
}
