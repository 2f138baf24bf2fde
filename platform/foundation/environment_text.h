#pragma once
// A setting read from the environment counts only when it holds text: a variable set to the empty
// text is taken as unset, as shells and the desktop's own programs take it.

// Whether `value`, as std::getenv returns it, is set and not empty.
inline bool text_set(const char* value) {
    return value && *value;
}
