#pragma once
// JSON string literals in both directions: writing any byte string as a valid JSON string (the
// driver's output) and reading one JSON string literal (values in the driver's input).

#include <optional>
#include <string>
#include <string_view>

// Appends `text` to `out` as a quoted JSON string. Control characters become \u00XX (or their
// short escapes), and each byte that does not begin a well-formed UTF-8 sequence becomes U+FFFD,
// so the result is always valid UTF-8 and valid JSON.
void append_json_string(std::string& out, std::string_view text);

// Reads one JSON string literal at the start of `text` and returns its UTF-8 contents; `used`
// receives the number of bytes the literal took. Null for anything that is not a well-formed
// literal: a missing quote, a raw control character, a bad escape, an unpaired surrogate or
// invalid UTF-8.
std::optional<std::string> read_json_string(std::string_view text, size_t& used);

// Length of the well-formed UTF-8 sequence at the start of `text`, 0 if there is none.
size_t utf8_sequence_length(std::string_view text);
