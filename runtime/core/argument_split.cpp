#include "runtime/core/argument_split.h"

namespace rt {
namespace {

bool is_separator(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// Ends the word at the first byte for which `ends` is true, cutting the text there, and returns
// where scanning goes on.
template <class Ends>
char* end_word(char* cursor, Ends&& ends) {
    while (*cursor != 0 && !ends(*cursor))
        ++cursor;
    if (*cursor == 0) return cursor;
    *cursor = 0;
    return cursor + 1;
}

// A newline inside an open quote ends the quoted word as well, so that a stray quote cannot run
// the rest of a multi-line text into one argument.
char* end_quoted_word(char* cursor) {
    return end_word(cursor, [](char c) { return c == '"' || c == '\n'; });
}

char* end_plain_word(char* cursor) {
    return end_word(cursor, is_separator);
}

} // namespace

int64_t SplitArguments(char* text, char** vector, int64_t capacity) {
    if (capacity < 0) capacity = 0;
    int64_t words = 0;
    char* cursor = text ? text : const_cast<char*>("");
    for (;;) {
        while (is_separator(*cursor))
            ++cursor;
        if (*cursor == 0) break;
        if (words == capacity) {
            vector[words] = nullptr;
            return -1;
        }
        const bool quoted = *cursor == '"';
        if (quoted) ++cursor;
        vector[words++] = cursor;
        cursor = quoted ? end_quoted_word(cursor) : end_plain_word(cursor);
    }
    vector[words] = nullptr;
    return words;
}

} // namespace rt
