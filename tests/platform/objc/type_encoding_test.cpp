#include "platform/objc/type_encoding.h"

#include "platform/objc/cpp_encoding.h"
#include "tests/platform/objc/objc_test_support.h"

#include <gtest/gtest.h>

#include <set>

static_assert(encoded_layout("{CGRect={CGPoint=dd}{CGSize=dd}}")->size == 32);
static_assert(!encoded_layout("{Opaque}"));

TEST(TypeEncoding, TableRowsAreDistinctAndAgreeWithLibffi) {
    std::set<char> codes;
    for (const EncodingInfo& row : k_encodings) {
        EXPECT_TRUE(codes.insert(row.code).second) << row.code;
        EXPECT_EQ(find_encoding(row.code), &row) << row.code;
        if (row.kind == TypeKind::Void) continue;
        EXPECT_EQ(row.size, row.ffi->size) << row.code << " " << row.cpp_name;
        EXPECT_EQ(row.alignment, row.ffi->alignment) << row.code << " " << row.cpp_name;
    }
}

TEST(TypeEncoding, ReadsOneTypeWithItsSizeAndSkipsItsOffset) {
    struct Case {
        const char* input;
        TypeKind kind;
        std::size_t size, alignment;
        const char* text; // the type's own text
        const char* rest; // what follows the type and its offset
    };
    const Case cases[] = {
        {"q24@0:8", TypeKind::SignedInteger, 8, 8, "q", "@0:8"},
        {"rn*8@", TypeKind::CString, 8, 8, "*", "@"},
        {"^{__CFString=}@", TypeKind::Pointer, 8, 8, "^{__CFString=}", "@"},
        {"@\"NSString\"8q", TypeKind::Object, 8, 8, "@\"NSString\"", "q"},
        {"{CGRect={CGPoint=dd}{CGSize=dd}}@", TypeKind::Structure, 32, 8,
         "{CGRect={CGPoint=dd}{CGSize=dd}}", "@"},
        {"{Small=cs}", TypeKind::Structure, 4, 2, "{Small=cs}", ""},
        {"{Named=\"x\"d\"y\"f}", TypeKind::Structure, 16, 8, "{Named=\"x\"d\"y\"f}", ""}};
    for (const Case& c : cases) {
        std::string_view rest = c.input;
        std::optional<EncodedLayout> layout = read_encoded_type(rest);
        ASSERT_TRUE(layout) << c.input;
        EXPECT_EQ(layout->kind, c.kind) << c.input;
        EXPECT_EQ(layout->size, c.size) << c.input;
        EXPECT_EQ(layout->alignment, c.alignment) << c.input;
        EXPECT_EQ(layout->text, c.text) << c.input;
        EXPECT_EQ(rest, c.rest) << c.input;
    }
}

TEST(TypeEncoding, RefusesUnknownMalformedAndUnsizedTypes) {
    const char* malformed[] = {"",      "x",        "{CGPoint=dd", "{Opaque}", "{Empty=}",
                               "{B=v}", "^",        "^{Unclosed",  "@\"Open",  "[4i]",
                               "(U=i)", "{A={B=}}", "{N=\"x}"};
    for (const char* text : malformed) {
        std::string_view rest = text;
        EXPECT_FALSE(read_encoded_type(rest)) << '"' << text << '"';
    }
    std::string nested;
    for (int i = 0; i < 40; ++i)
        nested += "{S=";
    EXPECT_FALSE(encoded_layout(nested + "i" + std::string(40, '}'))) << "nesting beyond the limit";
    EXPECT_FALSE(encoded_layout("{CGSize=dd}i")) << "more than one type";
}

// The encoder walks the same table: each row's C++ type lands on a row of its kind and size
// ('l' and 'L' share their C++ types with 'i' and 'I', which come first).
TEST(CppEncoding, EveryTableTypeEncodesToARowOfItsKindAndSize) {
    auto check = [](const auto& row) {
        using T = typename std::remove_cvref_t<decltype(row)>::Type;
        const EncodingInfo& encoded = encoding_detail::scalar_row<T>();
        EXPECT_EQ(encoded.kind, row.kind) << row.code;
        EXPECT_EQ(encoded.size, find_encoding(row.code)->size) << row.code;
    };
    std::apply([&](const auto&... rows) { (check(rows), ...); }, k_encoding_table);
}
