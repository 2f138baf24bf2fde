#include "platform/objc/argument_frame.h"

#include "tests/platform/objc/objc_test_support.h"

#include <gtest/gtest.h>

#include <cstring>

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
