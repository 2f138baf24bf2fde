#include "runtime/core/string_functions.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <optional>
#include <string_view>

namespace rt {
namespace {

using View = std::u16string_view;
constexpr size_t not_found = View::npos;

View view_of(const char16_t* text) {
    return text ? View(text) : View();
}

void copy_units(char16_t* to, const char16_t* from, size_t units) {
    if (units == 0) return; // an empty view may have no data at all
    std::memmove(to, from, units * sizeof(char16_t));
}

char16_t lower(char16_t unit) {
    return static_cast<char16_t>(std::towlower(unit));
}

// A zero-terminated argument read while the result is being written: the text itself, or a
// private copy when it lies in the area. Null reads as the empty string.
class StableText {
  public:
    explicit StableText(const char16_t* text) : m_text(text ? text : u"") {
        if (!TempOffsetOf(text)) return;
        m_copy.emplace(text, (UnitCount(text) + 1) * 2);
        m_text = static_cast<const char16_t*>(m_copy->get());
    }
    const char16_t* get() const { return m_text; }
    View view() const { return View(m_text); }

  private:
    const char16_t* m_text;
    std::optional<StableArgument> m_copy;
};

// The text argument of a function that copies it forwards into a result at p. A text in the area
// at or above p is found again after ReserveTemp (the block may move) and read in place, since a
// forward copy never overtakes its source. A text that starts below p could be overtaken, and is
// copied first.
class AreaText {
  public:
    AreaText(const char16_t* text, TempOffset p) : m_text(text), m_offset(TempOffsetOf(text)) {
        if (!m_offset || m_offset - 1 >= p) return;
        m_copy.emplace(text, (UnitCount(text) + 1) * 2);
        m_text = static_cast<const char16_t*>(m_copy->get());
        m_offset = 0;
    }
    // Valid until the next reservation.
    const char16_t* address() const { return m_offset ? TempAddress(m_offset) : m_text; }

  private:
    const char16_t* m_text;
    int64_t m_offset;
    std::optional<StableArgument> m_copy;
};

// Compares exactly or through towlower, unit by unit.
struct Matcher {
    View search;
    bool ignore_case;

    bool same(char16_t a, char16_t b) const {
        return a == b || (ignore_case && lower(a) == lower(b));
    }
    // Compares unit by unit and stops at the first difference, so it never reads past the
    // terminator of `at` (no unit of a search is zero).
    bool matches_in_terminated(const char16_t* at) const {
        for (size_t i = 0; i < search.size(); ++i) {
            if (!same(at[i], search[i])) return false;
        }
        return true;
    }
    // Needs search.size() units at `at`.
    bool matches_at(const char16_t* at) const {
        if (!ignore_case) return std::memcmp(at, search.data(), search.size() * 2) == 0;
        return matches_in_terminated(at);
    }
    // Index of the first occurrence at or after `from`, or not_found.
    size_t find(View text, size_t from) const {
        if (!ignore_case) return text.find(search, from);
        if (search.size() > text.size()) return not_found;
        for (size_t i = from; i <= text.size() - search.size(); ++i) {
            if (matches_at(text.data() + i)) return i;
        }
        return not_found;
    }
};

// The 0-based unit where scanning begins for a 1-based start, clamped to the text.
size_t scan_start(int64_t start, size_t length) {
    if (start < 2) return 0;
    return static_cast<uint64_t>(start - 1) < length ? static_cast<size_t>(start - 1) : length;
}

char16_t* copy_result(View text, TempOffset p) {
    char16_t* result = ReserveTemp(static_cast<int64_t>(text.size()), p);
    copy_units(result, text.data(), text.size());
    result[text.size()] = 0;
    return result;
}

// Occurrences found by the counting pass, and the length of the text it measured on the way. The
// first ones are remembered so that the writing pass does not search for them again.
struct Occurrences {
    static constexpr int64_t remembered_size = 64;
    size_t remembered[remembered_size];
    int64_t total = 0;
    size_t text_length = 0;
};

// One pass over a zero-terminated text from unit `start` (1-based, clamped to the text): the
// text's length and its first `limit` non-overlapping occurrences of a non-empty search.
template <bool ignore_case>
Occurrences scan_occurrences(const char16_t* text, View search, int64_t start, int64_t limit) {
    const Matcher matcher{search, ignore_case};
    Occurrences found;
    size_t at = 0;
    for (const size_t from = start < 2 ? 0 : static_cast<size_t>(start - 1); at < from; ++at) {
        if (text[at] == 0) break;
    }
    const char16_t first = ignore_case ? lower(search[0]) : search[0];
    for (; found.total < limit; ++at) {
        const char16_t unit = text[at];
        if (unit == 0) break;
        if ((ignore_case ? lower(unit) : unit) != first) continue;
        if (!matcher.matches_in_terminated(text + at)) continue;
        if (found.total < Occurrences::remembered_size) found.remembered[found.total] = at;
        ++found.total;
        at += search.size() - 1;
    }
    found.text_length = at + std::char_traits<char16_t>::length(text + at);
    return found;
}

// length + (replace - search) * count, or INT64_MAX (which no reservation accepts) on overflow.
int64_t replaced_length(View text, View search, View replace, int64_t count) {
    const int64_t kept = static_cast<int64_t>(text.size() - search.size() * count);
    int64_t added = 0;
    int64_t total = 0;
    if (__builtin_mul_overflow(static_cast<int64_t>(replace.size()), count, &added))
        return INT64_MAX;
    if (__builtin_add_overflow(kept, added, &total)) return INT64_MAX;
    return total;
}

struct ReplaceOptions {
    bool ignore_case = false;
    int64_t start = 1;
    int64_t limit = INT64_MAX;
};

char16_t* replace_into_result(const char16_t* text_arg, const char16_t* search_arg,
                              const char16_t* replace_arg, ReplaceOptions options, TempOffset p) {
    const StableText stable_text(text_arg), stable_search(search_arg), stable_replace(replace_arg);
    const View search = stable_search.view(), replace = stable_replace.view();
    if (search.empty() || options.limit <= 0) return copy_result(stable_text.view(), p);
    const Matcher matcher{search, options.ignore_case};
    const Occurrences found =
        options.ignore_case
            ? scan_occurrences<true>(stable_text.get(), search, options.start, options.limit)
            : scan_occurrences<false>(stable_text.get(), search, options.start, options.limit);
    const View text(stable_text.get(), found.text_length);
    if (found.total == 0) return copy_result(text, p);
    char16_t* result = ReserveTemp(replaced_length(text, search, replace, found.total), p);
    size_t read = 0;
    char16_t* write = result;
    for (int64_t i = 0; i < found.total; ++i) {
        const size_t at =
            i < Occurrences::remembered_size ? found.remembered[i] : matcher.find(text, read);
        copy_units(write, text.data() + read, at - read);
        write += at - read;
        copy_units(write, replace.data(), replace.size());
        write += replace.size();
        read = at + search.size();
    }
    copy_units(write, text.data() + read, text.size() - read);
    write[text.size() - read] = 0;
    return result;
}

// Overwrites occurrences in the text's own storage; replace must be as long as search.
void replace_in_place(char16_t* text, View search, View replace, ReplaceOptions options) {
    const View whole = view_of(text);
    if (search.empty() || replace.size() != search.size() || options.limit <= 0) return;
    const Matcher matcher{search, options.ignore_case};
    size_t at = matcher.find(whole, scan_start(options.start, whole.size()));
    for (int64_t done = 0; at != not_found && done < options.limit; ++done) {
        copy_units(text + at, replace.data(), replace.size());
        at = matcher.find(whole, at + search.size());
    }
}

size_t field_end(View text, View separator, size_t begin) {
    const size_t end = separator.empty() ? not_found : text.find(separator, begin);
    return end == not_found ? text.size() : end;
}

} // namespace

int64_t TextLength(const char16_t* text) {
    return UnitCount(text);
}

char16_t* LeftText(const char16_t* text, int64_t n, TempOffset p) {
    const int64_t units = std::clamp<int64_t>(n, 0, UnitCount(text));
    if (units == 0) return SetEmptyResult(p);
    const AreaText source(text, p);
    char16_t* result = ReserveTemp(units, p);
    copy_units(result, source.address(), static_cast<size_t>(units));
    result[units] = 0;
    return result;
}

char16_t* InsertText(const char16_t* text, const char16_t* insert, int64_t position, TempOffset p) {
    const StableText stable_text(text), stable_insert(insert);
    const View whole = stable_text.view(), added = stable_insert.view();
    const size_t split = position < 1 ? 0 : scan_start(position, whole.size());
    char16_t* result = ReserveTemp(static_cast<int64_t>(whole.size() + added.size()), p);
    copy_units(result, whole.data(), split);
    copy_units(result + split, added.data(), added.size());
    copy_units(result + split + added.size(), whole.data() + split, whole.size() - split);
    result[whole.size() + added.size()] = 0;
    return result;
}

int64_t FindText(const char16_t* text, const char16_t* search, int64_t start) {
    return FindTextMode(text, search, start, 0);
}

int64_t FindTextMode(const char16_t* text, const char16_t* search, int64_t start, int mode) {
    const View whole = view_of(text), wanted = view_of(search);
    if (whole.empty() || wanted.empty()) return 0;
    const Matcher matcher{wanted, (mode & text_mode_ignore_case) != 0};
    const size_t at = matcher.find(whole, scan_start(start, whole.size()));
    return at == not_found ? 0 : static_cast<int64_t>(at) + 1;
}

int64_t FindTextFromStart(const char16_t* text, const char16_t* search) {
    return FindText(text, search, 1);
}

char16_t* PadTextLeft(const char16_t* text, int64_t length, const char16_t* pad, TempOffset p) {
    if (!pad || pad[0] == 0 || length <= 0) return SetEmptyResult(p);
    const char16_t fill = pad[0];
    const int64_t kept = std::min(length, UnitCount(text));
    const int64_t filled = length - kept;
    const AreaText source(text, p);
    char16_t* result = ReserveTemp(length, p);
    // Move the text first: it may lie where the fill goes.
    copy_units(result + filled, source.address(), static_cast<size_t>(kept));
    std::fill(result, result + filled, fill);
    result[length] = 0;
    return result;
}

char16_t* RemoveText(const char16_t* text, const char16_t* remove, TempOffset p) {
    return RemoveTextEx(text, remove, 0, 1, -1, p);
}

char16_t* RemoveTextEx(const char16_t* text, const char16_t* remove, int mode, int64_t start,
                       int64_t count, TempOffset p) {
    const int64_t length = UnitCount(text);
    if (length == 0) return SetEmptyResult(p);
    const StableText stable_remove(remove);
    const Matcher matcher{stable_remove.view(), (mode & text_mode_ignore_case) != 0};
    const size_t size = static_cast<size_t>(length), skip = matcher.search.size();
    const AreaText area_text(text, p);
    char16_t* result = ReserveTemp(length, p);
    const char16_t* source = area_text.address();
    // The result is written at or below the units still to be read, so copying forwards is safe.
    size_t read = skip == 0 ? size : scan_start(start, size);
    size_t write = read;
    copy_units(result, source, read);
    while (read < size) {
        if (size - read < skip || !matcher.matches_at(source + read)) {
            result[write++] = source[read++];
            continue;
        }
        read += skip;
        if (count == -1) continue;
        if (count < 2) break;
        --count;
    }
    copy_units(result + write, source + read, size - read);
    write += size - read;
    ShrinkTemp(length - static_cast<int64_t>(write));
    result[write] = 0;
    return result;
}

char16_t* ReplaceText(const char16_t* text, const char16_t* search, const char16_t* replace,
                      TempOffset p) {
    return replace_into_result(text, search, replace, ReplaceOptions{}, p);
}

char16_t* ReplaceTextEx(const char16_t* text, const char16_t* search, const char16_t* replace,
                        int mode, int64_t start, int64_t count, TempOffset p) {
    const ReplaceOptions options{(mode & text_mode_ignore_case) != 0, start,
                                 count == -1 ? INT64_MAX : count};
    if (!(mode & text_mode_in_place)) return replace_into_result(text, search, replace, options, p);
    // The caller hands over writable storage when it asks for an in-place replace.
    auto* storage = const_cast<char16_t*>(text);
    if (storage) replace_in_place(storage, view_of(search), view_of(replace), options);
    return storage;
}

char16_t* TextField(const char16_t* text, int64_t index, const char16_t* separator, TempOffset p) {
    const View whole = view_of(text), between = view_of(separator);
    if (index < 1) return SetEmptyResult(p);
    size_t begin = 0;
    for (int64_t field = 1; field < index; ++field) {
        const size_t end = field_end(whole, between, begin);
        if (end == whole.size()) return SetEmptyResult(p);
        begin = end + between.size();
    }
    const int64_t units = static_cast<int64_t>(field_end(whole, between, begin) - begin);
    const AreaText source(text, p);
    char16_t* result = ReserveTemp(units, p);
    copy_units(result, source.address() + begin, static_cast<size_t>(units));
    result[units] = 0;
    return result;
}

String LeftText(TextArg text, int64_t n) {
    return collect_result([&](TempOffset p) { LeftText(text.get(), n, p); });
}

String InsertText(TextArg text, TextArg insert, int64_t position) {
    return collect_result([&](TempOffset p) { InsertText(text.get(), insert.get(), position, p); });
}

String PadTextLeft(TextArg text, int64_t length, TextArg pad) {
    return collect_result([&](TempOffset p) { PadTextLeft(text.get(), length, pad.get(), p); });
}

String RemoveText(TextArg text, TextArg remove) {
    return collect_result([&](TempOffset p) { RemoveText(text.get(), remove.get(), p); });
}

String RemoveTextEx(TextArg text, TextArg remove, int mode, int64_t start, int64_t count) {
    return collect_result(
        [&](TempOffset p) { RemoveTextEx(text.get(), remove.get(), mode, start, count, p); });
}

String ReplaceText(TextArg text, TextArg search, TextArg replace) {
    return collect_result(
        [&](TempOffset p) { ReplaceText(text.get(), search.get(), replace.get(), p); });
}

String ReplaceTextEx(TextArg text, TextArg search, TextArg replace, int mode, int64_t start,
                     int64_t count) {
    const int copy_mode = mode & ~text_mode_in_place;
    return collect_result([&](TempOffset p) {
        ReplaceTextEx(text.get(), search.get(), replace.get(), copy_mode, start, count, p);
    });
}

String TextField(TextArg text, int64_t index, TextArg separator) {
    return collect_result([&](TempOffset p) { TextField(text.get(), index, separator.get(), p); });
}

} // namespace rt
