#pragma once
// Conversions between runtime strings and byte texts held outside the temporary area.

#include "runtime/core/rt_string.h"
#include "runtime/core/temp_area.h"

#include <cstdint>

namespace rt {

// Encodings that TextFromMemory understands in `format & text_format_mask`; any other value reads
// one byte per unit.
inline constexpr int text_format_mask = 31;
inline constexpr int text_format_utf8 = 2;
inline constexpr int text_format_utf16 = 25;
// With UTF-8, the length counts bytes instead of characters.
inline constexpr int text_format_length_in_bytes = 64;

// A new malloc block with the UTF-8 form of the text and a zero byte (one zero byte for null or
// empty); the caller frees it. Null when the block cannot be allocated.
char* StringToUTF8(const char16_t* text);
// A new malloc block with one byte per unit below 256 (other units are left out) and a zero byte;
// the caller frees it. Null when the block cannot be allocated.
char* StringToASCII(const char16_t* text);
// The string result of zero-terminated UTF-8 bytes; null gives the empty result.
char16_t* UTF8ToString(const char* utf8, TempOffset p);
// The string result of `length` units of text at `address` in the encoding `format` selects.
// A length of -1 reads up to the terminator; a length below -1 gives the empty result, as does a
// null address or a UTF-8 text holding a byte 0xF8 or above.
char16_t* TextFromMemory(const void* address, int64_t length, int format, TempOffset p);

// The same operation for C++ code; an address given as the integer a native message answers.
String TextFromMemory(int64_t address, int64_t length, int format);

} // namespace rt
