#include "battery/text_update.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace battery {
namespace {

// True when `text` starts with `prefix`; moves `text` past it.
bool take_prefix(const char16_t*& text, std::u16string_view prefix) {
    for (const char16_t unit : prefix) {
        if (*text++ != unit) return false;
    }
    return true;
}

} // namespace

std::u16string_view units_of(rt::TextArg text) {
    return text.get() ? std::u16string_view(text.get()) : std::u16string_view();
}

void update_text(rt::String& text, rt::TextArg wanted) {
    if (!rt::StringEqual(text.data(), wanted.get())) text = wanted.get();
}

void update_joined(rt::String& text, std::span<const std::u16string_view> pieces) {
    const char16_t* rest = text.c_str();
    const bool same = std::all_of(pieces.begin(), pieces.end(), [&](std::u16string_view piece) {
        return take_prefix(rest, piece);
    });
    if (same && *rest == 0) return;
    std::u16string joined;
    for (const std::u16string_view piece : pieces)
        joined += piece;
    text = rt::String(joined);
}

void update_joined(rt::String& text, rt::TextArg first, rt::TextArg second) {
    const std::u16string_view pieces[] = {units_of(first), units_of(second)};
    update_joined(text, pieces);
}

} // namespace battery
