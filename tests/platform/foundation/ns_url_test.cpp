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

} // namespace

TEST(NSURL, AcceptsOnlyAbsoluteUrlsInTheGenericSyntax) {
    const struct {
        std::u16string text;
        bool is_url;
    } rows[] = {
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
    for (const auto& row : rows) {
        std::string text = utf16_to_utf8(row.text);
        NSURL* url = url_with_string(row.text);
        EXPECT_EQ(url != nil, row.is_url) << '"' << text << '"';
        if (!url) continue;
        EXPECT_EQ(text_of(url->absoluteString()), text);
    }
    EXPECT_EQ(msg_send<NSURL*>(class_named("NSURL"), "URLWithString:", static_cast<id>(nil)), nil);
}

// The bundle's URL is made from its folder's path.
TEST(NSURL, FileUrlsEscapeThePathAndReadBackDecoded) {
    AutoreleasePoolScope pool;
    const struct {
        std::string path;
        bool is_directory;
        std::string text;
        const char* file_path; // decoded, as a file-system representation
    } rows[] = {
        {"/tmp/no such file/x#1%.txt", false, "file:///tmp/no%20such%20file/x%231%25.txt",
         "/tmp/no such file/x#1%.txt"},
        {"/tmp/d", true, "file:///tmp/d/", "/tmp/d"},
        {"/", true, "file:///", "/"},
        {"some-file", false, "file://" + (std::filesystem::current_path() / "some-file").string(),
         nullptr}, // relative: from the current folder
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        ObjcRef<NSURL> url = NSURL::make_file(row.path, row.is_directory);
        ASSERT_TRUE(url);
        EXPECT_EQ(text_of(url->absoluteString()), row.text);
        if (!row.file_path) continue;
        EXPECT_EQ(text_of(msg_send<id>(url.get(), "path")), row.file_path);
        EXPECT_STREQ(url->fileSystemRepresentation(), row.file_path);
    }
    EXPECT_FALSE(NSURL::make_file("", false));
    EXPECT_EQ(text_of(msg_send<id>(url_with_string(u"http://u@example.org:80/x/y/?q#f"), "path")),
              "/x/y");
    EXPECT_EQ(url_with_string(u"https://example.org/")->fileSystemRepresentation(), nullptr);
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
