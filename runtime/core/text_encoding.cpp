#include "runtime/core/text_encoding.h"

namespace rt {
namespace {

constexpr char32_t replacement_character = 0xFFFD;
constexpr char32_t largest_code_point = 0x10FFFF;

bool is_continuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}
bool is_high_surrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool is_low_surrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// What the bytes at one position of a UTF-8 text hold.
enum class Step { character, bad_byte, end_of_text, rejected };

struct Decoded {
    Step step;
    char32_t code_point = 0;
    int64_t length = 1;
};

int continuation_count(unsigned char lead) {
    if (lead < 0xE0) return 1;
    return lead < 0xF0 ? 2 : 3;
}

bool is_overlong(char32_t code_point, int continuations) {
    static constexpr char32_t smallest[] = {0, 0x80, 0x800, 0x10000};
    return code_point < smallest[continuations];
}

// Reads the sequence that starts at `at`; `available` bytes may be read from there.
Decoded decode_at(const unsigned char* at, int64_t available) {
    const unsigned char lead = at[0];
    if (lead < 0x80) return {Step::character, lead};
    if (lead >= 0xF8) return {Step::rejected};
    if (lead < 0xC0) return {Step::bad_byte};
    const int continuations = continuation_count(lead);
    char32_t code_point = lead & (0x3F >> continuations);
    for (int i = 1; i <= continuations; ++i) {
        if (i >= available) return {Step::end_of_text};
        if (!is_continuation(at[i])) return {Step::bad_byte};
        code_point = (code_point << 6) | (at[i] & 0x3F);
    }
    if (code_point > largest_code_point) return {Step::end_of_text};
    if (is_overlong(code_point, continuations)) return {Step::bad_byte};
    if (code_point >= 0xD800 && code_point <= 0xDFFF) return {Step::bad_byte};
    return {Step::character, code_point, continuations + 1};
}

// One decoding loop for measuring (no output) and writing.
template <bool write>
int64_t run_decoder(std::span<const unsigned char> utf8, char16_t* out) {
    const int64_t size = static_cast<int64_t>(utf8.size());
    int64_t units = 0;
    for (int64_t i = 0; i < size;) {
        // Most texts are ASCII: one byte, one unit, nothing to check.
        if (utf8[static_cast<size_t>(i)] < 0x80) {
            if constexpr (write) out[units] = utf8[static_cast<size_t>(i)];
            ++units;
            ++i;
            continue;
        }
        const Decoded decoded = decode_at(utf8.data() + i, size - i);
        if (decoded.step == Step::rejected) return utf8_rejected;
        if (decoded.step == Step::end_of_text) break;
        const char32_t code_point =
            decoded.step == Step::bad_byte ? replacement_character : decoded.code_point;
        if (code_point > 0xFFFF) {
            if constexpr (write) {
                out[units] = static_cast<char16_t>(0xD800 + ((code_point - 0x10000) >> 10));
                out[units + 1] = static_cast<char16_t>(0xDC00 + (code_point & 0x3FF));
            }
            units += 2;
        } else {
            if constexpr (write) out[units] = static_cast<char16_t>(code_point);
            units += 1;
        }
        i += decoded.length;
    }
    return units;
}

template <bool write>
int64_t run_encoder(std::span<const char16_t> units, unsigned char* out) {
    const size_t size = units.size();
    int64_t bytes = 0;
    auto put = [&](unsigned value) {
        if constexpr (write) out[bytes] = static_cast<unsigned char>(value);
        ++bytes;
    };
    for (size_t i = 0; i < size; ++i) {
        char32_t code_point = units[i];
        if (code_point < 0x80) {
            put(code_point);
            continue;
        }
        if (code_point < 0x800) {
            put(0xC0 | (code_point >> 6));
            put(0x80 | (code_point & 0x3F));
            continue;
        }
        if (is_high_surrogate(code_point)) {
            if (i + 1 >= size || !is_low_surrogate(units[i + 1])) break;
            code_point = 0x10000 + ((code_point - 0xD800) << 10) + (units[++i] - 0xDC00);
            put(0xF0 | (code_point >> 18));
            put(0x80 | ((code_point >> 12) & 0x3F));
        } else {
            put(0xE0 | (code_point >> 12));
        }
        put(0x80 | ((code_point >> 6) & 0x3F));
        put(0x80 | (code_point & 0x3F));
    }
    return bytes;
}

} // namespace

int64_t utf16_length_of_utf8(std::span<const unsigned char> utf8) {
    return run_decoder<false>(utf8, nullptr);
}

int64_t decode_utf8(std::span<const unsigned char> utf8, char16_t* out) {
    const int64_t units = run_decoder<true>(utf8, out);
    return units == utf8_rejected ? 0 : units;
}

int64_t utf8_bytes_of_characters(const unsigned char* utf8, int64_t characters) {
    int64_t bytes = 0;
    for (int64_t counted = 0; counted < characters && utf8[bytes] != 0;) {
        // A zero byte is no continuation byte, so no sequence is read past the terminator.
        const Decoded decoded = decode_at(utf8 + bytes, INT64_MAX);
        if (decoded.step == Step::character) ++counted;
        bytes += decoded.length;
    }
    return bytes;
}

int64_t utf8_length_of_utf16(std::span<const char16_t> units) {
    return run_encoder<false>(units, nullptr);
}

int64_t encode_utf8(std::span<const char16_t> units, unsigned char* out) {
    return run_encoder<true>(units, out);
}

int64_t one_byte_length_of_utf16(std::span<const char16_t> units) {
    int64_t bytes = 0;
    for (const char16_t unit : units)
        bytes += unit < 256 ? 1 : 0;
    return bytes;
}

int64_t encode_one_byte(std::span<const char16_t> units, unsigned char* out) {
    int64_t bytes = 0;
    for (const char16_t unit : units) {
        if (unit < 256) out[bytes++] = static_cast<unsigned char>(unit);
    }
    return bytes;
}

} // namespace rt
