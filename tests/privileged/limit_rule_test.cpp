#include "privileged/limit_rule.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(LimitRule, AcceptsOnlyWholePercentsFromFiftyToAHundred) {
    struct Row {
        std::uint32_t percent;
        bool valid;
    };
    const Row rows[] = {{0, false},   {1, false},   {49, false},  {50, true},
                        {51, true},   {80, true},   {99, true},   {100, true},
                        {101, false}, {255, false}, {256, false}, {4294967295u, false}};
    for (const Row& row : rows)
        EXPECT_EQ(is_valid_limit(row.percent), row.valid) << row.percent;
}

TEST(LimitRule, StartsChargingFiveBelowTheLimit) {
    struct Row {
        std::uint32_t limit;
        std::uint32_t start;
    };
    const Row rows[] = {{50, 45}, {51, 46}, {60, 55}, {80, 75}, {95, 90}, {100, 95}};
    for (const Row& row : rows)
        EXPECT_EQ(start_threshold_for(row.limit), row.start) << row.limit;
}

TEST(LimitRule, ReadsPercentsAsTheKernelWritesThem) {
    struct Row {
        const char* text;
        std::optional<std::uint32_t> percent;
    };
    const Row rows[] = {
        {"80", 80},  {"80\n", 80}, {"0", 0},       {"100\n", 100},     {"101", {}}, {"", {}},
        {"\n", {}},  {"-1", {}},   {"8 0", {}},    {"80 ", {}},        {" 80", {}}, {"0x50", {}},
        {"abc", {}}, {"1000", {}}, {"80\n\n", {}}, {"4294967376", {}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(parse_percent(row.text), row.percent) << row.text;
}

} // namespace
