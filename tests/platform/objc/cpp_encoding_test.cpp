#include "platform/objc/cpp_encoding.h"

#include "tests/platform/objc/objc_test_support.h"

#include <gtest/gtest.h>

namespace {

enum class SmallKind : unsigned char { A };
class Subclass : public NSObject {};
struct Unencoded {
    int a;
};

} // namespace

TEST(CppEncoding, EncodesCppTypesAsThePlatformCompilerDoes) {
    const std::pair<std::string, const char*> cases[] = {
        {objc_encoding<char>(), "c"},
        {objc_encoding<BOOL>(), "c"},
        {objc_encoding<unsigned short>(), "S"},
        {objc_encoding<int>(), "i"},
        {objc_encoding<long>(), "q"},
        {objc_encoding<NSUInteger>(), "Q"},
        {objc_encoding<bool>(), "B"},
        {objc_encoding<float>(), "f"},
        {objc_encoding<const char*>(), "*"},
        {objc_encoding<Subclass*>(), "@"},
        {objc_encoding<Class>(), "#"},
        {objc_encoding<SEL>(), ":"},
        {objc_encoding<void*>(), "^v"},
        {objc_encoding<int**>(), "^^i"},
        {objc_encoding<Unencoded*>(), "^v"},
        {objc_encoding<SmallKind>(), "C"},
        {objc_encoding<TestRect*>(), "^{CGRect={CGPoint=dd}{CGSize=dd}}"},
    };
    for (const auto& [actual, expected] : cases)
        EXPECT_EQ(actual, expected);
    EXPECT_EQ((objc_method_encoding<TestVersion, SEL, double>()),
              "{NSOperatingSystemVersion=qqq}@::d");
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
