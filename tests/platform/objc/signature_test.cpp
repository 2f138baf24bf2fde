#include "platform/objc/signature.h"

#include "platform/objc/argument_frame.h"
#include "tests/platform/objc/objc_test_support.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(Signature, RefusesEncodingsThatAreNotMethodsAndInternsTheRest) {
    const char* malformed[] = {"", "v", "v@", "vi:", "v@:v", "v@:x", "v@:{", "{Opaque}@:"};
    for (const char* encoding : malformed) {
        EXPECT_EQ(Signature::for_encoding(encoding), nullptr) << '"' << encoding << '"';
    }
    const Signature* first = Signature::for_encoding("q@:q");
    EXPECT_EQ(Signature::for_encoding(std::string("q@:q")), first);
}

namespace {

template <class T>
T echo_value(id, SEL, T value) {
    return value;
}

// Every byte different and the top bit set, so truncation or a wrong extension shows.
template <class T>
T sample() {
    if constexpr (std::is_same_v<T, bool>)
        return true;
    else if constexpr (std::is_floating_point_v<T>)
        return static_cast<T>(-1234.5);
    else if constexpr (std::is_integral_v<T>)
        return static_cast<T>(0x89ABCDEF01234567ull);
    else
        return reinterpret_cast<T>(std::uintptr_t{0x7f0012345670});
}

template <class R>
R call(const char* encoding, IMP imp, std::vector<void*> arguments) {
    const Signature* signature = Signature::for_encoding(encoding);
    EXPECT_NE(signature, nullptr) << encoding;
    if (!signature) return R{};
    id receiver = nil;
    SEL selector = sel_registerName("call");
    arguments.insert(arguments.begin(), {&receiver, &selector});
    alignas(16) std::byte result[64];
    std::memset(result, 0xEE, sizeof result);
    signature->call(imp, result, arguments.data());
    R value;
    std::memcpy(&value, result, sizeof value);
    return value;
}

} // namespace

TEST(Signature, PassesAndReturnsEveryScalarOfTheTable) {
    auto check = [](const auto& row) {
        using T = typename std::remove_cvref_t<decltype(row)>::Type;
        if constexpr (!std::is_void_v<T>) {
            std::string type = row.code == '^' ? "^v" : std::string(1, row.code);
            T argument = sample<T>();
            T result = call<T>((type + "@:" + type).c_str(), as_imp(&echo_value<T>), {&argument});
            EXPECT_EQ(std::memcmp(&result, &argument, sizeof(T)), 0) << type;
        }
    };
    std::apply([&](const auto&... rows) { (check(rows), ...); }, k_encoding_table);
}

TEST(Signature, ComparesHowArgumentsArePassed) {
    struct Case {
        const char *a, *b;
        bool same;
    };
    const Case cases[] = {
        {"v@:@", "v24@0:8@16", true},        {"c@:B", "C@:c", true},  {"v@:^v", "v@:*", true},
        {"v@:{A=dd}", "v@:{B=dd}", true},    {"v@:i", "v@:q", false}, {"v@:@", "v@:^v", false},
        {"v@:{A=qqq}", "v@:{B=ddd}", false}, {"v@:@", "v@:@@", false}};
    for (const Case& c : cases) {
        const Signature* a = Signature::for_encoding(c.a);
        const Signature* b = Signature::for_encoding(c.b);
        ASSERT_TRUE(a && b) << c.a << " " << c.b;
        EXPECT_EQ(a->same_shape(*b), c.same) << c.a << " vs " << c.b;
        EXPECT_EQ(b->same_shape(*a), c.same) << c.b << " vs " << c.a;
    }
}

namespace {

long long sum_of_twelve(id, SEL, long long a, long long b, long long c, long long d, long long e,
                        long long f, long long g, long long h, long long i, long long j,
                        long long k, long long l) {
    return a + b + c + d + e + f + g + h + i + j + k + l;
}

} // namespace

// Fourteen arguments do not fit the frame's inline room.
TEST(ArgumentFrame, HoldsMoreArgumentsThanItsInlineRoom) {
    const Signature* signature = Signature::for_encoding("q@:qqqqqqqqqqqq");
    ASSERT_NE(signature, nullptr);
    ArgumentFrame frame(*signature, FrameStart::Zeroed);
    for (std::size_t i = 2; i < signature->argument_count(); ++i) {
        long long value = static_cast<long long>(i) * 1000;
        std::memcpy(frame.argument(i), &value, sizeof value);
    }
    frame.invoke(as_imp(&sum_of_twelve));
    long long sum;
    std::memcpy(&sum, frame.result(), sizeof sum);
    EXPECT_EQ(sum, 90000);
}
