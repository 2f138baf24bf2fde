#pragma once
// NSURL: an absolute URL, held as its ASCII text. Only texts in the generic URI syntax with a
// scheme are URLs: relative references, texts with spaces, control characters, characters
// outside ASCII, characters a URI never holds (" < > \ ^ ` { | }), a '%' not followed by two
// hexadecimal digits, a second '#' or brackets outside the authority are refused. File URLs made
// from paths percent-encode every byte that a URL path cannot hold as it is.

#include "platform/objc/native_class.h"

#include <optional>
#include <string>
#include <string_view>

class NSString;

// The parts of a URL text, as written (percent-escapes kept). `authority` is empty both when
// the text has none and when it has an empty one ("file:///"); `has_authority` tells them apart.
struct UrlParts {
    std::string scheme;
    bool has_authority = false;
    std::string authority;
    std::string path;
    std::string query;
    std::string fragment;
};

// The parts of `text`; nothing when it is not an absolute URL in the sense above.
std::optional<UrlParts> parse_url(std::string_view text);
// `path` with each "%XX" replaced by its byte; nothing when that would give a zero byte.
std::optional<std::string> percent_decode(std::string_view path);
// `path` with every byte except unreserved characters, sub-delimiters, ':', '@' and '/'
// written as "%XX".
std::string percent_encode_path(std::string_view path);

class NSURL : public NSObject {
  public:
    NSURL() = default;

    // A new URL holding one reference; empty when `text` is not a URL.
    static ObjcRef<NSURL> make(std::string_view text);
    // A new file URL for an absolute path (a relative one is taken from the current folder),
    // ending in "/" when `is_directory`; empty for an empty path.
    static ObjcRef<NSURL> make_file(std::string_view path, bool is_directory);

    const std::string& text() const { return m_text; }
    const UrlParts& parts() const { return m_parts; }

    // Class methods; each returns an autoreleased instance of the receiving class, or nil for a
    // nil or unusable argument.
    static NSURL* URLWithString(Class self, NSString* text);

    NSString* absoluteString() const;
    NSString* description() const { return absoluteString(); }
    // The decoded path of a file URL as bytes; null for other URLs. Valid as long as the URL.
    const char* fileSystemRepresentation() const;
    BOOL isEqual(id other) const override;
    NSUInteger hash() const override;

  private:
    // A new instance of `cls` (NSURL when nil) for a text already parsed into `parts`.
    static ObjcRef<NSURL> make_with(Class cls, std::string text, UrlParts parts);

    std::string m_text;
    UrlParts m_parts;
    std::optional<std::string> m_file_system_path;
};

void register_ns_url_class();
