#pragma once
// String variables for C++ code. A String owns one string-variable block (a plain malloc block
// holding a runtime string, or null for the empty string) and runs the temporary-area protocol
// underneath, so that code around the runtime reads like `text = IntegerToText(n) + u"%";`.

#include "runtime/core/temp_area.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace rt {

class String {
  public:
    String() = default;
    String(const char16_t* text); // NOLINT(google-explicit-constructor): literals read naturally
    explicit String(std::u16string_view text);
    String(const String& other);
    String(String&& other) noexcept : m_block(std::exchange(other.m_block, nullptr)) {}
    ~String();

    String& operator=(const String& other);
    String& operator=(String&& other) noexcept;
    String& operator=(const char16_t* text);
    String& operator+=(const String& other);
    String& operator+=(const char16_t* text);

    // Decodes UTF-8 with the runtime's conversion rules.
    static String from_utf8(std::string_view utf8);
    // Takes ownership of a string-variable block (plain malloc), which may be null.
    static String adopt(char16_t* block);

    // The runtime string; u"" for the empty string, never null.
    const char16_t* c_str() const { return m_block ? m_block : u""; }
    // The variable's block as the runtime sees it: null for the empty string.
    const char16_t* data() const { return m_block; }
    // The address of the variable, for runtime procedures that store into a string variable.
    char16_t** variable_address() { return &m_block; }
    // Gives up ownership of the block; the String is empty afterwards.
    char16_t* release() { return std::exchange(m_block, nullptr); }

    int64_t length() const { return UnitCount(m_block); }
    bool empty() const { return !m_block || m_block[0] == 0; }
    std::u16string_view view() const { return std::u16string_view(c_str()); }
    std::string utf8() const;
    // True when the string reads as the UTF-8 `text` decodes (up to a zero byte); makes no string
    // for ASCII text.
    bool same_as_utf8(std::string_view text) const;

    friend bool operator==(const String& a, const String& b) {
        return StringEqual(a.m_block, b.m_block) != 0;
    }
    friend bool operator==(const String& a, const char16_t* b) {
        return StringEqual(a.m_block, b) != 0;
    }
    friend String operator+(const String& a, const String& b) {
        return concatenate(a.m_block, b.m_block);
    }
    friend String operator+(const String& a, const char16_t* b) {
        return concatenate(a.m_block, b);
    }
    friend String operator+(const char16_t* a, const String& b) {
        return concatenate(a, b.m_block);
    }

  private:
    static String concatenate(const char16_t* a, const char16_t* b);
    // Non-empty ASCII without zero bytes, each byte a unit.
    static String widened(std::string_view ascii);

    char16_t* m_block = nullptr;
};

// A runtime string argument given either as a String or as a plain runtime string (null is the
// empty string); borrowed for the duration of a call.
class TextArg {
  public:
    TextArg(const char16_t* text) : m_text(text) {}      // NOLINT(google-explicit-constructor)
    TextArg(const String& text) : m_text(text.data()) {} // NOLINT(google-explicit-constructor)
    const char16_t* get() const { return m_text; }

  private:
    const char16_t* m_text;
};

// Runs `produce(p)`, which writes a string result at result offset p of the temporary area, and
// moves that result into a new String. The area's position and stack end where they started.
template <class Produce>
String collect_result(Produce&& produce) {
    SaveTempPosition();
    SaveTempPosition();
    std::forward<Produce>(produce)(PopTempPosition());
    String result;
    TakeTempString(result.variable_address(), PopTempPosition());
    return result;
}

} // namespace rt
