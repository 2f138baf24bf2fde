#pragma once
// A transparent hash for maps keyed by std::string, so that lookups by std::string_view or
// const char* build no temporary string.

#include <functional>
#include <string_view>

struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
        return std::hash<std::string_view>{}(text);
    }
};
