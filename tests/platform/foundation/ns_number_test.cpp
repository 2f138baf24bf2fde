#include "platform/foundation/ns_number.h"

#include "platform/foundation/core_foundation.h"
#include "tests/platform/foundation/foundation_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

template <class T>
NSNumber* number(T value) {
    return NSNumber::make(value).autorelease();
}

} // namespace

TEST(NSNumber, ReadsItsValueAsEachType) {
    AutoreleasePoolScope pool;
    const struct {
        NSNumber* value;
        int as_int;
        long long as_long_long;
        double as_double;
        BOOL as_bool;
        const char* text;
    } cases[] = {
        {number(-1250), -1250, -1250, -1250.0, YES, "-1250"},
        {number(0), 0, 0, 0.0, NO, "0"},
        // Integers keep their low bits when read narrower.
        {number(std::int64_t{0x1'0000'0005}), 5, 0x1'0000'0005, 4294967301.0, YES, "4294967301"},
        {number(2.75), 2, 2, 2.75, YES, "2.75"},
        // Floating values beyond a type's range are held at its ends; NaN reads as 0.
        {number(1e20), std::numeric_limits<int>::max(), std::numeric_limits<long long>::max(), 1e20,
         YES, "1e+20"},
        {number(std::nan("")), 0, 0, std::nan(""), YES, "nan"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(msg_send<int>(row.value, "intValue"), row.as_int);
        EXPECT_EQ(row.value->integerValue(), row.as_long_long);
        double as_double = row.value->floating();
        if (std::isnan(row.as_double))
            EXPECT_TRUE(std::isnan(as_double));
        else
            EXPECT_EQ(as_double, row.as_double);
        EXPECT_EQ(row.value->boolValue(), row.as_bool);
        EXPECT_EQ(text_of(msg_send<id>(row.value, "stringValue")), row.text);
    }
}
