#include "battery/text_update.h"

#include <algorithm>
#include <array>
#include <charconv>
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

// True when `piece` lies in the block of `text`.
bool lies_in(std::u16string_view piece, const rt::String& text, std::size_t length) {
    const char16_t* block = text.data();
    return block && piece.data() >= block && piece.data() <= block + length;
}

} // namespace

std::u16string_view decimal_units(int64_t number, NumberRoom& room) {
    std::array<char, 24> digits;
    const char* const begin = digits.data();
    const char* const end = std::to_chars(digits.data(), digits.data() + digits.size(), number).ptr;
    const auto count = static_cast<std::size_t>(end - begin);
    char16_t* start = room.data() + room.size() - count;
    std::copy(begin, end, start);
    return std::u16string_view(start, count);
}

std::u16string_view units_of(rt::TextArg text) {
    return text.get() ? std::u16string_view(text.get()) : std::u16string_view();
}

void update_text(rt::String& text, rt::TextArg wanted) {
    if (rt::StringEqual(text.data(), wanted.get())) return;
    const std::u16string_view pieces[] = {units_of(wanted)};
    assign_joined(text, pieces);
}

void update_joined(rt::String& text, std::span<const std::u16string_view> pieces) {
    const char16_t* rest = text.c_str();
    const bool same = std::all_of(pieces.begin(), pieces.end(), [&](std::u16string_view piece) {
        return take_prefix(rest, piece);
    });
    if (same && *rest == 0) return;
    assign_joined(text, pieces);
}

void update_joined(rt::String& text, rt::TextArg first, rt::TextArg second) {
    const std::u16string_view pieces[] = {units_of(first), units_of(second)};
    update_joined(text, pieces);
}

void assign_joined(rt::String& text, std::span<const std::u16string_view> pieces) {
    std::size_t units = 0;
    for (const std::u16string_view piece : pieces)
        units += piece.size();
    if (units == 0) {
        text = rt::String();
        return;
    }
    const auto length = static_cast<std::size_t>(text.length());
    const bool fits = text.data() && units <= length &&
                      std::none_of(pieces.begin(), pieces.end(), [&](std::u16string_view piece) {
                          return lies_in(piece, text, length);
                      });
    if (!fits) {
        std::u16string joined;
        joined.reserve(units);
        for (const std::u16string_view piece : pieces)
            joined += piece;
        text = rt::String(joined);
        return;
    }
    char16_t* out = *text.variable_address();
    for (const std::u16string_view piece : pieces)
        out = std::copy(piece.begin(), piece.end(), out);
    *out = 0;
}

} // namespace battery
