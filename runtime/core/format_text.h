#pragma once
// printf-style formatting whose result is a runtime string (UTF-16). The arguments are those of the
// C printf family: "%s" takes zero-terminated UTF-8 bytes, not a runtime string.

#include <cstdarg>
#include <cstdint>

namespace rt {

// Formats the values as printf does with `format` converted to UTF-8, and writes the result as
// UTF-16 with a terminator into `destination`; returns the units written without the terminator.
// The destination is NOT bounded: it must hold the whole result. The result never has more units
// than its UTF-8 text has bytes, so FormatToString(nullptr, ...) + 1 units always suffice. With a
// null destination, returns that byte length and writes nothing. A null format is the empty
// string; a format that printf rejects gives an empty result (0).
int64_t FormatToString(char16_t* destination, const char16_t* format, ...);

// The bounded form for the runtime's own callers: takes a UTF-8 format and writes at most
// `capacity` units including the terminator (capacity must be at least 1). Output that does not
// fit is cut at the end of the last whole character that does. Returns the units written without
// the terminator.
int64_t format_to_units(char16_t* destination, int64_t capacity, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
int64_t vformat_to_units(char16_t* destination, int64_t capacity, const char* format,
                         va_list arguments) __attribute__((format(printf, 3, 0)));

} // namespace rt
