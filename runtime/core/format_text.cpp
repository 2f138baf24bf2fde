#include "runtime/core/format_text.h"

#include "runtime/core/temp_area.h"
#include "runtime/core/text_encoding.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>

namespace rt {
namespace {

// Large enough for every number the runtime prints (the longest float text is 553 bytes), so the
// common path needs no heap block.
constexpr size_t stack_bytes = 640;

struct FreeDeleter {
    void operator()(void* block) const { std::free(block); }
};
using HeapBytes = std::unique_ptr<unsigned char[], FreeDeleter>;

// Bytes that live either in a caller's stack buffer or in a heap block owned here.
class ByteText {
  public:
    explicit ByteText(std::span<unsigned char> stack) : m_stack(stack) {}
    // Room for `size` bytes; null when the heap block cannot be had.
    unsigned char* room(size_t size) {
        if (size <= m_stack.size()) return m_stack.data();
        m_heap.reset(static_cast<unsigned char*>(std::malloc(size)));
        return m_heap.get();
    }

  private:
    std::span<unsigned char> m_stack;
    HeapBytes m_heap;
};

// Prints into `text` and returns the formatted bytes (without their zero byte); empty when printf
// rejects the format or no buffer can be had.
std::span<unsigned char> print_utf8(ByteText& text, size_t first_try, const char* format,
                                    va_list arguments) {
    va_list again;
    va_copy(again, arguments);
    unsigned char* bytes = text.room(first_try);
    const int length = std::vsnprintf(reinterpret_cast<char*>(bytes), first_try, format, arguments);
    if (length >= 0 && static_cast<size_t>(length) >= first_try) {
        bytes = text.room(static_cast<size_t>(length) + 1);
        if (bytes) std::vsnprintf(reinterpret_cast<char*>(bytes), length + 1u, format, again);
    }
    va_end(again);
    if (length < 0 || !bytes) return {};
    return {bytes, static_cast<size_t>(length)};
}

// Widens ASCII bytes one to one; stops at the first other byte and returns how many it copied.
size_t widen_ascii(std::span<const unsigned char> bytes, char16_t* out) {
    size_t i = 0;
    for (; i < bytes.size() && bytes[i] < 0x80; ++i)
        out[i] = bytes[i];
    return i;
}

// Decodes text that has more units than `limit` and keeps the first `limit`, never half of a
// surrogate pair.
int64_t decode_cut(std::span<const unsigned char> bytes, int64_t units, char16_t* out,
                   int64_t limit) {
    std::unique_ptr<char16_t[], FreeDeleter> all(
        static_cast<char16_t*>(std::malloc(static_cast<size_t>(units) * sizeof(char16_t))));
    if (!all) return 0;
    decode_utf8(bytes, all.get());
    if (limit > 0 && all[limit - 1] >= 0xD800 && all[limit - 1] <= 0xDBFF) --limit;
    std::copy_n(all.get(), limit, out);
    return limit;
}

// Writes the UTF-16 form of the bytes and a terminator, at most `capacity` units in all.
int64_t write_units(std::span<const unsigned char> bytes, char16_t* out, int64_t capacity) {
    const auto limit = static_cast<size_t>(capacity - 1);
    const size_t ascii = widen_ascii(bytes.first(std::min(bytes.size(), limit)), out);
    int64_t units = static_cast<int64_t>(ascii);
    if (ascii < bytes.size() && ascii < limit) {
        // Not ASCII after all: UTF-8 never has more units than bytes, so measuring is only needed
        // when the bytes alone do not fit.
        const int64_t needed = bytes.size() <= limit ? 0 : utf16_length_of_utf8(bytes);
        units = needed <= static_cast<int64_t>(limit)
                    ? decode_utf8(bytes, out)
                    : decode_cut(bytes, needed, out, static_cast<int64_t>(limit));
    }
    out[units] = 0;
    return units;
}

// The UTF-8 form of a runtime string with a zero byte, in `text`; null when no buffer can be had.
const char* format_in_utf8(ByteText& text, const char16_t* format) {
    const std::span<const char16_t> units(format ? format : u"", UnitCount(format));
    const auto length = static_cast<size_t>(utf8_length_of_utf16(units));
    unsigned char* bytes = text.room(length + 1);
    if (!bytes) return nullptr;
    bytes[encode_utf8(units, bytes)] = 0;
    return reinterpret_cast<const char*>(bytes);
}

int64_t measure(const char* format, va_list arguments) {
    const int length = std::vsnprintf(nullptr, 0, format, arguments);
    return length < 0 ? 0 : length;
}

} // namespace

int64_t vformat_to_units(char16_t* destination, int64_t capacity, const char* format,
                         va_list arguments) {
    if (!destination || capacity < 1) return 0;
    unsigned char stack[stack_bytes];
    ByteText text(stack);
    const auto bytes = print_utf8(text, sizeof stack, format ? format : "", arguments);
    return write_units(bytes, destination, capacity);
}

int64_t format_to_units(char16_t* destination, int64_t capacity, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const int64_t units = vformat_to_units(destination, capacity, format, arguments);
    va_end(arguments);
    return units;
}

int64_t FormatToString(char16_t* destination, const char16_t* format, ...) {
    unsigned char format_stack[256];
    ByteText format_text(format_stack);
    const char* utf8_format = format_in_utf8(format_text, format);
    if (!utf8_format) {
        if (destination) destination[0] = 0;
        return 0;
    }
    va_list arguments;
    va_start(arguments, format);
    int64_t result = 0;
    if (!destination) {
        result = measure(utf8_format, arguments);
    } else {
        unsigned char stack[stack_bytes];
        ByteText text(stack);
        const auto bytes = print_utf8(text, sizeof stack, utf8_format, arguments);
        result = write_units(bytes, destination, static_cast<int64_t>(bytes.size()) + 1);
    }
    va_end(arguments);
    return result;
}

} // namespace rt
