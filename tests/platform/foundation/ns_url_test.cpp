#include "platform/foundation/ns_url.h"

#include "platform/foundation/unicode_text.h"
#include "tests/platform/foundation/foundation_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <span>

namespace {

NSURL* url_with_string(std::u16string_view text) {
    return msg_send<NSURL*>(class_named("NSURL"),
                            "URLWithString:", NSString::make(text).autorelease());
}

} // namespace

// Each end of the letters, digits and hex digits, and the character just outside it.
TEST(NSURL, AcceptsOnlyAbsoluteUrlsInTheGenericSyntax) {
    const std::u16string accepted[] = {u"https://example.org/a?b",
                                       u"x-apple.systempreferences:com.apple.preference.battery",
                                       u"aZ09+-.:AZaz09-._~!$&'()*+,;=:@/?%0A%9f%aF%Fa", u"Z:z"};
    // No scheme, nothing, a bad character, a bad escape, not ASCII, two fragments; then the
    // characters just outside the ranges, and brackets outside the authority.
    const std::u16string refused[] = {u"not a url", u"http://exa mple", u"http://example.org/%zz",
                                      u"https://b\u00FCcher.example/", u"https://x.org/#a#b"};
    const std::u16string outside[] = {u"",      u"9x:y",  u"x:`",   u"x:{",   u"x:%/0", u"x:%:0",
                                      u"x:%@0", u"x:%G0", u"x:%`0", u"x:%g0", u"x:%0",  u"x:/[a]"};
    AutoreleasePoolScope pool;
    for (const std::u16string& text : accepted) {
        NSURL* url = url_with_string(text);
        ASSERT_TRUE(url) << utf16_to_utf8(text);
        EXPECT_EQ(text_of(url->absoluteString()), utf16_to_utf8(text));
    }
    using Texts = std::span<const std::u16string>;
    for (Texts list : {Texts(refused), Texts(outside)})
        for (const std::u16string& text : list)
            EXPECT_EQ(url_with_string(text), nil) << '"' << utf16_to_utf8(text) << '"';
    EXPECT_EQ(msg_send<NSURL*>(class_named("NSURL"), "URLWithString:", static_cast<id>(nil)), nil);
}

TEST(NSURL, FileUrlsEscapeThePathAndReadBackDecodedUpToAZeroByte) {
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
        {"some-file", false, "file://" + (std::filesystem::current_path() / "some-file").string(),
         nullptr}, // relative: from the current folder
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        ObjcRef<NSURL> url = NSURL::make_file(row.path, row.is_directory);
        ASSERT_TRUE(url);
        EXPECT_EQ(text_of(url->absoluteString()), row.text);
        if (!row.file_path) continue;
        EXPECT_STREQ(url->fileSystemRepresentation(), row.file_path);
    }
    EXPECT_FALSE(NSURL::make_file("", false));
    EXPECT_EQ(url_with_string(u"https://example.org/")->fileSystemRepresentation(), nullptr);
    EXPECT_EQ(percent_decode("/a%4A%2f%7e%7E%30%39"), "/aJ/~~09");
    EXPECT_EQ(percent_decode("/a%00b"), std::nullopt);
    EXPECT_EQ(percent_decode("/100%"), "/100%");
    EXPECT_EQ(url_with_string(u"file:///a%00b")->fileSystemRepresentation(), nullptr);
}
