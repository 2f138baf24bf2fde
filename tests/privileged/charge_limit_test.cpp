#include "privileged/charge_limit.h"
#include "privileged/state_file.h"
#include "tests/privileged/fake_power_supply.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

ino_t file_inode(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

// A machine with two limitable batteries on mains, a mouse and a limit of 80 stored.
class ChargeLimitTest : public testing::Test {
  protected:
    void SetUp() override {
        m_tree.add_battery("BAT0");
        m_tree.add_battery("BAT1", false);
        m_tree.add_battery("mouse");
        m_tree.set("mouse", "scope", "Device");
        m_tree.add_supply("AC", "Mains");
        m_tree.set("AC", "online", "1");
    }

    void expect_limit(const std::string& end, const std::string& start) {
        EXPECT_EQ(m_tree.end_threshold("BAT0"), end);
        EXPECT_EQ(m_tree.start_threshold("BAT0"), start);
        EXPECT_EQ(m_tree.end_threshold("BAT1"), end);
    }

    FakePowerSupply m_tree;
};

TEST_F(ChargeLimitTest, StoresAndAppliesTheLimitToTheMachinesBatteriesOnly) {
    ChargeLimit limit(m_tree.paths());
    EXPECT_EQ(limit.limit(), 100u);
    EXPECT_EQ(limit.batteries(), (std::vector<std::string>{"BAT0", "BAT1"}));
    EXPECT_EQ(limit.set_limit(80), Outcome::Done);
    EXPECT_EQ(limit.limit(), 80u);
    expect_limit("80", "75");
    EXPECT_EQ(m_tree.end_threshold("mouse"), "100");
    EXPECT_EQ(read_stored_limit(m_tree.paths()), 80u);
    // A new service finds the stored limit.
    EXPECT_EQ(ChargeLimit(m_tree.paths()).limit(), 80u);
}

// A caller repeating the same limit must not wear the disk: the file is not replaced.
TEST_F(ChargeLimitTest, StoresTheLimitAgainOnlyWhenItChanges) {
    ChargeLimit limit(m_tree.paths());
    const auto inode = [&] { return file_inode(m_tree.paths().state_file()); };
    ASSERT_EQ(limit.set_limit(80), Outcome::Done);
    const auto first = inode();
    ASSERT_EQ(limit.set_limit(80), Outcome::Done);
    EXPECT_EQ(inode(), first);
    ASSERT_EQ(limit.set_limit(70), Outcome::Done);
    EXPECT_NE(inode(), first);
    EXPECT_EQ(read_stored_limit(m_tree.paths()), 70u);
    // Changed behind its back, the file is written again.
    ASSERT_EQ(store_limit(m_tree.paths(), 60), 0);
    EXPECT_EQ(limit.set_limit(70), Outcome::Done);
    EXPECT_EQ(read_stored_limit(m_tree.paths()), 70u);
}

TEST_F(ChargeLimitTest, RefusesAnInvalidLimitOrAMachineWithoutLimitableBatteries) {
    ChargeLimit limit(m_tree.paths());
    for (std::uint32_t percent : {0u, 49u, 101u, 4294967295u})
        EXPECT_EQ(limit.set_limit(percent), Outcome::InvalidLimit) << percent;
    expect_limit("100", "0");
    EXPECT_EQ(read_stored_limit(m_tree.paths()), std::nullopt);

    FakePowerSupply empty;
    empty.add_supply("AC", "Mains");
    ChargeLimit none(empty.paths());
    EXPECT_EQ(none.set_limit(80), Outcome::NotSupported);
    EXPECT_EQ(none.charge_fully_once(), Outcome::NotSupported);
    EXPECT_EQ(read_stored_limit(empty.paths()), std::nullopt);
}

TEST_F(ChargeLimitTest, ReappliesTheStoredLimitOnlyWhenOneWasChosen) {
    EXPECT_EQ(ChargeLimit(m_tree.paths()).reapply(), Outcome::Done);
    expect_limit("100", "0");
    ASSERT_EQ(store_limit(m_tree.paths(), 70), 0);
    EXPECT_EQ(ChargeLimit(m_tree.paths()).reapply(), Outcome::Done);
    expect_limit("70", "65");
}

TEST_F(ChargeLimitTest, ChargingOnceLiftsTheLimitUntilChargedOrUnplugged) {
    struct Row {
        const char* what;
        const char* status;
        const char* capacity;
        const char* online;
        bool over;
    };
    const Row rows[] = {
        {"still charging", "Charging", "90", "1", false},
        {"full", "Full", "100", "1", true},
        {"full, capacity not yet 100", "Full", "99", "1", true},
        {"capacity at 100", "Charging", "100", "1", true},
        {"unplugged", "Discharging", "90", "0", true},
        {"unplugged, status late", "Charging", "90", "0", true},
    };
    for (const Row& row : rows) {
        ChargeLimit limit(m_tree.paths());
        ASSERT_EQ(limit.set_limit(80), Outcome::Done);
        m_tree.set("BAT0", "status", "Charging");
        m_tree.set("BAT0", "capacity", "85");
        m_tree.set("BAT1", "status", "Charging");
        m_tree.set("AC", "online", "1");
        EXPECT_EQ(limit.charge_fully_once(), Outcome::Done);
        EXPECT_TRUE(limit.charging_once());
        expect_limit("100", "95");
        EXPECT_FALSE(limit.check_charging_once()) << row.what;

        for (const char* battery : {"BAT0", "BAT1"}) {
            m_tree.set(battery, "status", row.status);
            m_tree.set(battery, "capacity", row.capacity);
        }
        m_tree.set("AC", "online", row.online);
        EXPECT_EQ(limit.check_charging_once(), row.over) << row.what;
        EXPECT_EQ(limit.charging_once(), !row.over) << row.what;
        expect_limit(row.over ? "80" : "100", row.over ? "75" : "95");
        EXPECT_EQ(read_stored_limit(m_tree.paths()), 80u) << row.what;
    }
}

TEST_F(ChargeLimitTest, ChargingOnceWaitsForEveryBatteryAndIsEndedByANewLimit) {
    ChargeLimit limit(m_tree.paths());
    ASSERT_EQ(limit.set_limit(60), Outcome::Done);
    ASSERT_EQ(limit.charge_fully_once(), Outcome::Done);
    m_tree.set("BAT0", "status", "Full");
    m_tree.set("BAT1", "status", "Charging");
    EXPECT_FALSE(limit.check_charging_once());
    // Lifted still, after a resume.
    EXPECT_EQ(limit.reapply(), Outcome::Done);
    expect_limit("100", "95");

    EXPECT_EQ(limit.set_limit(70), Outcome::Done);
    EXPECT_FALSE(limit.charging_once());
    expect_limit("70", "65");
    EXPECT_FALSE(limit.check_charging_once());
}

// Without a mains folder only discharging batteries end it; without a limit it does nothing.
TEST_F(ChargeLimitTest, ChargingOnceWithoutMainsOrWithoutALimit) {
    FakePowerSupply tree;
    tree.add_battery("BAT0");
    ChargeLimit limit(tree.paths());
    ASSERT_EQ(limit.set_limit(80), Outcome::Done);
    tree.set("BAT0", "status", "Charging");
    ASSERT_EQ(limit.charge_fully_once(), Outcome::Done);
    EXPECT_FALSE(limit.check_charging_once());
    tree.set("BAT0", "status", "Discharging");
    EXPECT_TRUE(limit.check_charging_once());
    EXPECT_EQ(tree.end_threshold("BAT0"), "80");

    ChargeLimit unlimited(m_tree.paths());
    EXPECT_EQ(unlimited.charge_fully_once(), Outcome::Done);
    ASSERT_EQ(unlimited.set_limit(100), Outcome::Done);
    EXPECT_EQ(unlimited.charge_fully_once(), Outcome::Done);
    EXPECT_FALSE(unlimited.charging_once());
    expect_limit("100", "95");
}

} // namespace
