#include "platform/foundation/ns_url.h"

#include "platform/foundation/unicode_text.h"
#include "tests/platform/foundation/foundation_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

NSURL* url_with_string(std::u16string_view text) {
    return msg_send<NSURL*>(class_named("NSURL"),
                            "URLWithString:", NSString::make(text).autorelease());
}

NSURL* file_url(std::string_view path) {
    return msg_send<NSURL*>(class_named("NSURL"),
                            "fileURLWithPath:", NSString::from_utf8(path).autorelease());
}

} // namespace

TEST(NSURL, AcceptsOnlyAbsoluteUrlsInTheGenericSyntax) {
    struct Case {
        std::u16string text;
        bool is_url;
    };
    const Case cases[] = {
        {u"https://example.org/a?b", true},
        {u"x-apple.systempreferences:com.apple.preference.battery", true},
        {u"file:///tmp/a%20b", true},
        {u"http://[::1]:8080/", true},
        {u"a+b-c.d:", true},
        {u"not a url", false},
        {u"", false},
        {u"http://exa mple", false},
        {u"example.org/path", false},    // no scheme
        {u"1http://example.org", false}, // a scheme starts with a letter
        {u"ht_tp://example.org", false},
        {u":nothing", false},
        {u"http://example.org/a\tb", false},
        {u"http://example.org/\x7F", false},
        {u"http://example.org/a<b", false},
        {u"http://example.org/a{b", false},
        {u"http://example.org/a!$&'()*+,;=:@~-._b", true},
        {u"http://example.org/%zz", false},
        {u"http://example.org/%4", false},
        {u"http://example.org/#a#b", false},
        {u"http://example.org/[x]", false},
        {u"https://b\u00FCcher.example/", false}, // not ASCII
    };
    AutoreleasePoolScope pool;
    for (const Case& row : cases) {
        std::string text = utf16_to_utf8(row.text);
        NSURL* url = url_with_string(row.text);
        EXPECT_EQ(url != nil, row.is_url) << '"' << text << '"';
        if (url) {
            EXPECT_EQ(text_of(url->absoluteString()), text);
        }
    }
    EXPECT_EQ(msg_send<NSURL*>(class_named("NSURL"), "URLWithString:", static_cast<id>(nil)), nil);
}

TEST(NSURL, FileUrlsEscapeThePathAndMarkFolders) {
    AutoreleasePoolScope pool;
    NSURL* file = file_url("/tmp/no such file/x#1%.txt");
    ASSERT_TRUE(file);
    EXPECT_EQ(text_of(file->absoluteString()), "file:///tmp/no%20such%20file/x%231%25.txt");
    EXPECT_EQ(text_of(msg_send<id>(file, "path")), "/tmp/no such file/x#1%.txt");
    EXPECT_STREQ(file->fileSystemRepresentation(), "/tmp/no such file/x#1%.txt");
    EXPECT_EQ(msg_send<BOOL>(file, "isFileURL"), YES);

    std::string folder = std::filesystem::temp_directory_path().string();
    NSURL* directory = file_url(folder);
    ASSERT_TRUE(directory);
    EXPECT_TRUE(text_of(directory->absoluteString()).ends_with("/"));
    EXPECT_STREQ(directory->fileSystemRepresentation(), folder.c_str());

    EXPECT_EQ(file_url(""), nil);
    EXPECT_EQ(msg_send<BOOL>(url_with_string(u"https://example.org/"), "isFileURL"), NO);
    EXPECT_EQ(text_of(msg_send<id>(url_with_string(u"http://u@example.org:80/x/y/?q#f"), "path")),
              "/x/y");
    EXPECT_EQ(url_with_string(u"https://example.org/")->fileSystemRepresentation(), nullptr);
}

TEST(NSURL, ARelativeFilePathIsTakenFromTheCurrentFolder) {
    AutoreleasePoolScope pool;
    NSURL* url = file_url("some-file");
    ASSERT_TRUE(url);
    std::string expected = (std::filesystem::current_path() / "some-file").string();
    EXPECT_EQ(text_of(msg_send<id>(url, "path")), expected);
}

TEST(NSURL, DecodingStopsAtZeroBytesAndInvalidText) {
    EXPECT_EQ(percent_decode("/a%41%2f"), "/aA/");
    EXPECT_EQ(percent_decode("/a%00b"), std::nullopt);
    EXPECT_EQ(percent_decode("/100%"), "/100%");
    AutoreleasePoolScope pool;
    EXPECT_EQ(msg_send<id>(url_with_string(u"file:///a%00b"), "path"), nil);
    EXPECT_EQ(msg_send<id>(url_with_string(u"file:///a%FFb"), "path"), nil);
    EXPECT_EQ(url_with_string(u"file:///a%00b")->fileSystemRepresentation(), nullptr);
}

TEST(NSURL, UrlsWithTheSameTextAreEqual) {
    AutoreleasePoolScope pool;
    NSURL* a = url_with_string(u"https://example.org/");
    ObjcRef<NSURL> b = NSURL::make("https://example.org/");
    ASSERT_TRUE(a && b);
    EXPECT_TRUE(a->isEqual(b.get()));
    EXPECT_EQ(a->hash(), b->hash());
    EXPECT_FALSE(a->isEqual(url_with_string(u"https://example.org")));
    EXPECT_EQ(text_of(msg_send<id>(a, "description")), "https://example.org/");
}
