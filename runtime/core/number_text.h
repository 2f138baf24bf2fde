#pragma once
// Conversions between numbers and runtime strings: signed 64-bit integers to decimal text, floats
// to text with a chosen number of decimals, and texts back to integers and doubles. The string
// results follow the temporary-area protocol of temp_area.h: the result is written at the result
// offset p, the position is left at its end, and the result's address is returned.

#include "runtime/core/rt_string.h"
#include "runtime/core/temp_area.h"

#include <cstdint>

namespace rt {

// Start-up: LC_ALL to "en_US.UTF-8" so that character classification and towlower know all of
// Unicode, falling back to "C.UTF-8" where that locale is not installed (otherwise the "C" locale
// stays), then LC_NUMERIC back to "C" so that numbers always use "." as the decimal point.
void InitLocale();

// Decimal digits with a leading "-" for negative values; INT64_MIN prints in full.
char16_t* IntegerToText(int64_t value, TempOffset p);
// Leading blanks and tabs, an optional sign, then "%" binary, "$" hexadecimal or decimal digits up
// to the first other character. Anything else, and null, gives 0. Wraps modulo 2^64.
int64_t TextToInteger(const char16_t* text);

// Prints the float with `decimals` decimals (clamped to 0 ... 512, negatives other than -1 count
// as 0), rounding as printf does on the float's exact value. Decimals -1 prints ten decimals and
// trims trailing zeros and a trailing point. Infinities give "+Infinity" and "-Infinity", NaN
// gives "NaN", and negative zero prints as zero.
char16_t* FloatToText(int32_t decimals, TempOffset p, float value);
// FloatToText with decimals -1.
char16_t* FloatToTextDefault(TempOffset p, float value);
// "+Infinity", "-Infinity" and "NaN" (the whole text, ignoring case) give the special values;
// anything else is parsed as far as it reads as a number (0.0 if not at all). Code units of 256
// and above are dropped before parsing, and only the first 1023 remaining units count.
double TextToFloat(const char16_t* text);

// The same conversions for application code, with the temporary-area protocol run underneath.
String IntegerToText(int64_t value);
String FloatToText(int32_t decimals, float value);
String FloatToTextDefault(float value);
int64_t TextToInteger(const String& text);
double TextToFloat(const String& text);

} // namespace rt
