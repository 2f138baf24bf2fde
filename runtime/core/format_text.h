#pragma once
// printf-style formatting whose result is a runtime string (UTF-16). The arguments are those of the
// C printf family: "%s" takes zero-terminated UTF-8 bytes, not a runtime string.

#include <cstdarg>
#include <cstdint>

namespace rt {

// Takes a UTF-8 format and writes at most `capacity` units including the terminator (capacity
// must be at least 1). Output that does not fit is cut at the end of the last whole character that
// does. Returns the units written without the terminator.
int64_t format_to_units(char16_t* destination, int64_t capacity, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
int64_t vformat_to_units(char16_t* destination, int64_t capacity, const char* format,
                         va_list arguments) __attribute__((format(printf, 3, 0)));

} // namespace rt
