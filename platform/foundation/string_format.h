#pragma once
// The format language of stringWithFormat:, for a format with at most one argument. The argument
// arrives as the raw 64-bit slot it was passed in, and the first conversion decides what it is:
//
//   %S          a zero-terminated UTF-16 text        %@   an object, written as its description
//   %s          a zero-terminated UTF-8 text         %%   a percent sign (takes no argument)
//   %c          an 8-bit character (Latin-1)         %C   a UTF-16 unit
//   %d %i %u %x %X %o      an int (the slot's low 32 bits); with h or hh, narrower still
//   the same with l, ll, q, z, t or j                a 64-bit integer (the whole slot)
//
// Flags, width and precision apply to the integer conversions. A null text or object is written
// "(null)". Conversions after the first have no argument left and are dropped; a '%' followed by
// anything else (floating-point conversions included) is copied as it stands.

#include <cstdint>
#include <string>
#include <string_view>

// The description of an object for %@; `object` is never null.
using DescribeObject = std::u16string (*)(const void* object);

std::u16string format_with_one_argument(std::u16string_view format, std::uint64_t argument,
                                        DescribeObject describe);
