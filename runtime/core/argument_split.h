#pragma once
// Cutting a command line into the words of an argument vector.

#include <cstdint>

namespace rt {

// Splits the UTF-8 text in place into words and stores them in `vector`, which has room for
// `capacity` words and the null that ends them. Separators are space, tab and newline; a word that
// starts with a double quote runs to the next double quote (which is removed), to a newline, or to
// the end of the text; any other word runs to the next separator, with quotes as ordinary
// characters. There is no escape character. Returns the number of words, or -1 when the text holds
// more than `capacity` words: then the vector holds the first `capacity` words and its null, and
// nothing is written beyond it.
int64_t SplitArguments(char* text, char** vector, int64_t capacity);

} // namespace rt
