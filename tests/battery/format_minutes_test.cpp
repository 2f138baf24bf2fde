#include "battery/format_minutes.h"

#include "battery_test_support.h"

#include <cstdint>
#include <limits>

namespace battery {
namespace {

class FormatMinutesTest : public testing::Test {
  protected:
    void SetUp() override { rt::InitStrings(); }
};

TEST_F(FormatMinutesTest, WritesHoursAndMinutesWithTheHoursNeverCut) {
    struct Row {
        int64_t minutes;
        const char16_t* expected;
    };
    const Row rows[] = {
        {0, u"00:00"},
        {59, u"00:59"},
        {60, u"01:00"},
        {125, u"02:05"},
        {5999, u"99:59"},
        {6000, u"100:00"},
        // The registry's "unknown" keeps all four digits of its hours.
        {65535, u"1092:15"},
        {std::numeric_limits<int32_t>::max(), u"35791394:07"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FormatMinutes(row.minutes), row.expected) << "minutes " << row.minutes;
    }
}

// A negative count once read "00:-1": the sign now stands once, before the whole text.
TEST_F(FormatMinutesTest, PutsOneSignBeforeANegativeCount) {
    struct Row {
        int64_t minutes;
        const char16_t* expected;
    };
    const Row rows[] = {
        {-1, u"-00:01"},
        {-59, u"-00:59"},
        {-60, u"-01:00"},
        {-61, u"-01:01"},
        {-6000, u"-100:00"},
        {std::numeric_limits<int32_t>::min(), u"-35791394:08"},
        {std::numeric_limits<int64_t>::min(), u"-153722867280912930:08"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FormatMinutes(row.minutes), row.expected) << "minutes " << row.minutes;
    }
}

} // namespace
} // namespace battery
