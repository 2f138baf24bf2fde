#include "platform/objc/type_encoding.h"

#include "platform/objc/cpp_encoding.h"
#include "tests/platform/objc/objc_test_support.h"

#include <gtest/gtest.h>

static_assert(encoded_layout("{CGRect={CGPoint=dd}{CGSize=dd}}")->size == 32);
static_assert(!encoded_layout("{Opaque}"));

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
        {"^{__CFString=}@", TypeKind::Pointer, 8, 8, "^{__CFString=}", "@"},
        {"@\"NSString\"8q", TypeKind::Object, 8, 8, "@\"NSString\"", "q"},
        {"{CGRect={CGPoint=dd}{CGSize=dd}}@", TypeKind::Structure, 32, 8,
         "{CGRect={CGPoint=dd}{CGSize=dd}}", "@"},
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
