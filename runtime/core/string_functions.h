#pragma once
// The string functions the application calls. Positions are 1-based and lengths count UTF-16
// code units; a null text is the empty string. String results follow the temporary-area protocol
// (result offset last, result address returned); arguments may themselves lie in the area.
// Out-of-range positions and counts are clamped and never fail.

#include "runtime/core/rt_string.h"
#include "runtime/core/temp_area.h"

#include <cstdint>

namespace rt {

// Mode bits of FindTextMode, RemoveTextEx and ReplaceTextEx.
inline constexpr int text_mode_ignore_case = 1; // units compared after towlower
inline constexpr int text_mode_in_place = 2;    // ReplaceTextEx only

int64_t TextLength(const char16_t* text);
// The first n units (n clamped to 0 ... length).
char16_t* LeftText(const char16_t* text, int64_t n, TempOffset p);
// Position 1 or below inserts at the start; beyond the end appends.
char16_t* InsertText(const char16_t* text, const char16_t* insert, int64_t position, TempOffset p);
// Position of the first occurrence at or after start, or 0 (also for an empty text or search).
int64_t FindText(const char16_t* text, const char16_t* search, int64_t start);
int64_t FindTextMode(const char16_t* text, const char16_t* search, int64_t start, int mode);
int64_t FindTextFromStart(const char16_t* text, const char16_t* search);
// The text right-aligned in a field of `length` units filled with the first unit of pad; a
// longer text keeps its leftmost units; an empty pad gives the empty result.
char16_t* PadTextLeft(const char16_t* text, int64_t length, const char16_t* pad, TempOffset p);
char16_t* RemoveText(const char16_t* text, const char16_t* remove, TempOffset p);
// Removes occurrences at or after `start`: count -1 removes all, n >= 1 the first n, and any
// other count the first one. A start beyond the end leaves the text unchanged.
char16_t* RemoveTextEx(const char16_t* text, const char16_t* remove, int mode, int64_t start,
                       int64_t count, TempOffset p);
char16_t* ReplaceText(const char16_t* text, const char16_t* search, const char16_t* replace,
                      TempOffset p);
// Replaces occurrences at or after `start`: count -1 replaces all, n >= 1 the first n, and any
// other count none. A start beyond the end leaves the text unchanged. With text_mode_in_place
// the text's own storage is overwritten (only when replace is as long as search), the area is
// left alone and the text's address is returned.
char16_t* ReplaceTextEx(const char16_t* text, const char16_t* search, const char16_t* replace,
                        int mode, int64_t start, int64_t count, TempOffset p);
// The index-th field (from 1) between separators; an empty separator makes the whole text field 1.
char16_t* TextField(const char16_t* text, int64_t index, const char16_t* separator, TempOffset p);

// The same functions for C++ code, taking String or plain runtime strings and returning String.
inline int64_t TextLength(TextArg text) {
    return TextLength(text.get());
}
inline int64_t FindText(TextArg text, TextArg search, int64_t start) {
    return FindText(text.get(), search.get(), start);
}
inline int64_t FindTextMode(TextArg text, TextArg search, int64_t start, int mode) {
    return FindTextMode(text.get(), search.get(), start, mode);
}
inline int64_t FindTextFromStart(TextArg text, TextArg search) {
    return FindTextFromStart(text.get(), search.get());
}
String LeftText(TextArg text, int64_t n);
String InsertText(TextArg text, TextArg insert, int64_t position);
String PadTextLeft(TextArg text, int64_t length, TextArg pad);
String RemoveText(TextArg text, TextArg remove);
String RemoveTextEx(TextArg text, TextArg remove, int mode, int64_t start, int64_t count);
String ReplaceText(TextArg text, TextArg search, TextArg replace);
// text_mode_in_place is ignored: the result is always a new String.
String ReplaceTextEx(TextArg text, TextArg search, TextArg replace, int mode, int64_t start,
                     int64_t count);
String TextField(TextArg text, int64_t index, TextArg separator);

} // namespace rt
