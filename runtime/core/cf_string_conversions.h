#pragma once
// Conversions between runtime strings and the platform's CFString objects.

#include "platform/foundation/core_foundation.h"
#include "runtime/core/temp_area.h"

#include <cstdint>

namespace rt {

// A new CFString with the string's units (null converts as empty), which the caller releases with
// CFRelease; null only when memory runs out.
CFStringRef StringToCFString(const char16_t* text);
// The string result of the CFString's units, unchanged; null gives the empty result.
char16_t* CFStringToString(CFStringRef string, TempOffset p);
// Writes at most size - 1 units of the string and a terminator into the buffer, and returns the
// units written, the terminator not counted. A surrogate pair that does not fit whole is left
// out rather than cut in half. Nothing is written for a size below 1; a null string writes an
// empty text.
int64_t CFStringIntoBuffer(char16_t* buffer, CFStringRef string, int64_t size);

} // namespace rt
