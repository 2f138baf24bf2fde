#include "privileged/threshold_writer.h"
#include "tests/privileged/fake_power_supply.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>

bool operator==(const ThresholdWrite& one, const ThresholdWrite& other) {
    return one.percent == other.percent && std::strcmp(one.attribute, other.attribute) == 0;
}

std::ostream& operator<<(std::ostream& out, const ThresholdWrite& write) {
    return out << write.attribute << "=" << write.percent;
}

namespace {

constexpr const char* end = "charge_control_end_threshold";
constexpr const char* start = "charge_control_start_threshold";

TEST(ThresholdWriter, KeepsTheStartBelowTheEndAfterEveryWrite) {
    struct Row {
        std::uint32_t limit;
        Thresholds present;
        std::vector<ThresholdWrite> writes;
    };
    const Row rows[] = {
        // Lowering: the start first.
        {80, {100, 0, true}, {{start, 75}, {end, 80}}},
        {80, {100, 95, true}, {{start, 75}, {end, 80}}},
        {50, {90, 85, true}, {{start, 45}, {end, 50}}},
        // Raising past the present end: the end first.
        {100, {50, 45, true}, {{end, 100}, {start, 95}}},
        {90, {80, 75, true}, {{end, 90}, {start, 85}}},
        // A new start just below the present end goes first; one equal to it after the end.
        {81, {80, 75, true}, {{start, 76}, {end, 81}}},
        {84, {80, 75, true}, {{start, 79}, {end, 84}}},
        {85, {80, 75, true}, {{end, 85}, {start, 80}}},
        // What already holds is not written again.
        {80, {80, 75, true}, {}},
        {80, {80, 0, true}, {{start, 75}}},
        {80, {90, 75, true}, {{end, 80}}},
        {80, {80, {}, false}, {}},
        {80, {100, {}, false}, {{end, 80}}},
        // Unreadable thresholds are written, the end first.
        {80, {{}, {}, true}, {{end, 80}, {start, 75}}},
        {80, {{}, {}, false}, {{end, 80}}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(threshold_writes(rows[i].limit, rows[i].present), rows[i].writes) << "row " << i;
    }
}

TEST(ThresholdWriter, AppliesTheLimitToTheBatterysFiles) {
    FakePowerSupply tree;
    tree.add_battery("BAT0");
    tree.add_battery("BAT1", false);
    for (const auto& [name, limit, expected_start] :
         {std::tuple{"BAT0", 60u, "55"}, {"BAT0", 100u, "95"}, {"BAT1", 70u, "missing"}}) {
        const auto battery = SupplyFolder::open(tree.paths(), name);
        ASSERT_TRUE(battery);
        EXPECT_EQ(apply_limit(*battery, limit), 0);
        EXPECT_EQ(tree.end_threshold(name), std::to_string(limit)) << name;
        EXPECT_EQ(tree.start_threshold(name), expected_start) << name;
    }
}

} // namespace
