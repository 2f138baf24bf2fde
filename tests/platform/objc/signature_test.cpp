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

TEST(Signature, ComparesHowArgumentsArePassed) {
    struct Case {
        const char *a, *b;
        bool same;
    };
    const Case cases[] = {{"v@:@", "v24@0:8@16", true},        {"c@:B", "C@:c", true},
                          {"v@:{A=dd}", "v@:{B=dd}", true},    {"v@:i", "v@:q", false},
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
