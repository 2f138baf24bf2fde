#include "runtime/core/rt_string.h"

#include "runtime/core/string_conversions.h"

#include <cstdlib>
#include <cstring>

namespace rt {
namespace {

bool is_ascii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

} // namespace

String::String(const char16_t* text) {
    CopyStringArgument(&m_block, text);
}

String::String(std::u16string_view text) {
    // Room for five more units, as every assignment to a string variable gives.
    void* block = std::malloc((text.size() + 5) * sizeof(char16_t));
    if (!block) return;
    m_block = static_cast<char16_t*>(block);
    std::memcpy(m_block, text.data(), text.size() * sizeof(char16_t));
    m_block[text.size()] = 0;
}

String::String(const String& other) {
    CopyStringArgument(&m_block, other.m_block);
}

String::~String() {
    std::free(m_block);
}

String& String::operator=(const String& other) {
    if (this != &other) AssignString(&m_block, other.m_block);
    return *this;
}

String& String::operator=(String&& other) noexcept {
    if (this == &other) return *this;
    std::free(m_block);
    m_block = std::exchange(other.m_block, nullptr);
    return *this;
}

String& String::operator=(const char16_t* text) {
    AssignString(&m_block, text);
    return *this;
}

String& String::operator+=(const String& other) {
    return *this = *this + other;
}

String& String::operator+=(const char16_t* text) {
    return *this = *this + text;
}

String String::from_utf8(std::string_view utf8) {
    // The decoding stops at a zero byte. Plain ASCII, the usual case, widens byte by byte into a
    // block of the size the temporary area would give, without a pass through the area.
    const std::string_view text = utf8.substr(0, utf8.find('\0'));
    if (!text.empty() && is_ascii(text)) return widened(text);
    return collect_result([&](TempOffset p) {
        TextFromMemory(utf8.data(), static_cast<int64_t>(utf8.size()),
                       text_format_utf8 | text_format_length_in_bytes, p);
    });
}

bool String::same_as_utf8(std::string_view utf8) const {
    // ASCII bytes decode to units of the same value at the same place, so the strings can be
    // compared directly up to the first other byte.
    const char16_t* unit = c_str();
    for (std::size_t i = 0; i < utf8.size() && utf8[i] != 0; ++i, ++unit) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte >= 0x80) return *this == from_utf8(utf8);
        if (*unit != byte) return false;
    }
    return *unit == 0;
}

String String::widened(std::string_view ascii) {
    String result;
    // Room for five more units, as every assignment to a string variable gives.
    void* block = std::malloc((ascii.size() + 5) * sizeof(char16_t));
    if (!block) return result;
    result.m_block = static_cast<char16_t*>(block);
    for (std::size_t i = 0; i < ascii.size(); ++i)
        result.m_block[i] = static_cast<char16_t>(ascii[i]);
    result.m_block[ascii.size()] = 0;
    return result;
}

String String::adopt(char16_t* block) {
    String result;
    result.m_block = block;
    return result;
}

std::string String::utf8() const {
    char* bytes = StringToUTF8(m_block);
    if (!bytes) return {};
    std::string result(bytes);
    std::free(bytes);
    return result;
}

String String::concatenate(const char16_t* a, const char16_t* b) {
    SaveTempPosition();
    AppendTemp(a);
    AppendTemp(b);
    String result;
    TakeTempString(&result.m_block, PopTempPosition());
    return result;
}

} // namespace rt
