#include "battery/power_state.h"

#include "battery_test_support.h"

namespace battery {
namespace {

using PowerStateTest = BatteryTest;

TEST_F(PowerStateTest, AppliesTheFirstRuleThatAnswers) {
    struct Row {
        const char* what;
        PlatformProperties registry;
        const char16_t* expected;
    };
    const Row rows[] = {
        {"nothing", {}, u"Unidentified"},
        {"named source wins over the flags",
         {text_property(u"PowerSource", u"UPS Power"), flag_property(u"ExternalConnected", false),
          flag_property(u"IsCharging", true), integer_property(u"Amperage", 1200)},
         u"UPS Power"},
        {"empty name falls through",
         {text_property(u"PowerSource", u""), flag_property(u"ExternalConnected", true)},
         u"AC Power"},
        {"external yes", {flag_property(u"ExternalConnected", true)}, u"AC Power"},
        {"external no beats charging",
         {flag_property(u"ExternalConnected", false), flag_property(u"IsCharging", true)},
         u"Battery Power"},
        {"charging yes is AC power, not Charging",
         {flag_property(u"IsCharging", true), integer_property(u"Amperage", 1200)},
         u"AC Power"},
        {"charging no", {flag_property(u"IsCharging", false)}, u"Battery Power"},
        {"external neither yes nor no falls through",
         {text_property(u"ExternalConnected", u"yes"), flag_property(u"IsCharging", false)},
         u"Battery Power"},
        {"positive current", {integer_property(u"Amperage", 1200)}, u"Charging"},
        {"negative current", {integer_property(u"Amperage", -800)}, u"Battery Power"},
        {"no current", {integer_property(u"Amperage", 0)}, u"Unidentified"},
        {"current that is no number", {text_property(u"Amperage", u"n/a")}, u"Unidentified"},
        {"flags of another spelling",
         {text_property(u"ExternalConnected", u"1"), text_property(u"IsCharging", u"true"),
          integer_property(u"Amperage", -5)},
         u"Battery Power"},
    };
    for (const Row& row : rows) {
        load(row.registry);
        EXPECT_EQ(DescribePowerSource(), row.expected) << row.what;
    }
}

} // namespace
} // namespace battery
