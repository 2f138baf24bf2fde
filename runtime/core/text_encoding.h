#pragma once
// Conversions between UTF-8, UTF-16 and one byte per unit, with the runtime's rules for damaged
// input:
// - UTF-8 to UTF-16: a byte that cannot start a character (a stray continuation byte, or a lead
//   byte whose sequence is overlong, encodes a surrogate or is broken by a non-continuation byte)
//   becomes U+FFFD and decoding goes on at the next byte; a sequence cut off by the end of the
//   input, or one that encodes a code point above U+10FFFF, ends the text there; a byte 0xF8 or
//   above rejects the whole conversion.
// - UTF-16 to UTF-8: a low surrogate on its own is encoded as a 3-byte sequence; a high surrogate
//   that no low surrogate follows ends the text.
// - UTF-16 to one byte: units below 256 become that byte, other units are left out.
// Every conversion comes as a measuring call and a writing call with the same rules; the writing
// call's output must have room for what the measuring call answered. No terminator is written.

#include <cstdint>
#include <span>

namespace rt {

// The answer of utf16_length_of_utf8 for input that holds a byte 0xF8 or above.
inline constexpr int64_t utf8_rejected = -1;

// Number of UTF-16 units the bytes decode to, or utf8_rejected.
int64_t utf16_length_of_utf8(std::span<const unsigned char> utf8);
// Decodes into `out`; returns the units written (0 when rejected).
int64_t decode_utf8(std::span<const unsigned char> utf8, char16_t* out);

// The number of bytes the first `characters` characters of a zero-terminated UTF-8 text take,
// stopping at the zero byte. Only complete, well-formed sequences count as characters; the bytes
// of other sequences are passed over uncounted (and are part of the answer).
int64_t utf8_bytes_of_characters(const unsigned char* utf8, int64_t characters);

// Number of UTF-8 bytes the units encode to.
int64_t utf8_length_of_utf16(std::span<const char16_t> units);
// Encodes into `out`; returns the bytes written.
int64_t encode_utf8(std::span<const char16_t> units, unsigned char* out);

// Number of bytes the units give one byte per unit.
int64_t one_byte_length_of_utf16(std::span<const char16_t> units);
// Writes one byte per unit below 256 into `out`; returns the bytes written.
int64_t encode_one_byte(std::span<const char16_t> units, unsigned char* out);

} // namespace rt
