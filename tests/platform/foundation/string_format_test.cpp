#include "platform/foundation/string_format.h"

#include "platform/foundation/unicode_text.h"

#include <gtest/gtest.h>

namespace {

std::u16string describe(const void*) {
    return u"<object>";
}

template <class T>
std::uint64_t slot(T* pointer) {
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(pointer));
}

const char16_t k_wide_text[] = u"Grüße 🔋";
const char k_utf8_text[] = "caf\xC3\xA9";
int k_some_object = 0;

struct FormatCase {
    std::u16string_view format;
    std::uint64_t argument;
    std::u16string_view expected;
};

const FormatCase k_cases[] = {
    {u"%S", slot(k_wide_text), u"Grüße 🔋"},
    {u"%s!", slot(k_utf8_text), u"café!"},
    {u"%@", slot(&k_some_object), u"<object>"},
    {u"%@", 0, u"(null)"},
    {u"%d%%", 75, u"75%"},
    // A 32-bit conversion reads only the low half of the slot: the upper half may be anything.
    {u"%d", 0xDEADBEEF'FFFFFFFEull, u"-2"},
    {u"%ld", static_cast<std::uint64_t>(-5000000000ll), u"-5000000000"},
    {u"%lld|%qd", 1ull << 40, u"1099511627776|"},
    // A conversion it does not know stays as written and leaves the argument to the next one.
    {u"%f|%d", 7, u"%f|7"},
};

} // namespace

TEST(StringFormat, FirstConversionTakesTheOneArgument) {
    for (const FormatCase& row : k_cases) {
        std::u16string result = format_with_one_argument(row.format, row.argument, &describe);
        EXPECT_EQ(result, row.expected)
            << "format " << utf16_to_utf8(row.format) << " gave " << utf16_to_utf8(result);
    }
}
