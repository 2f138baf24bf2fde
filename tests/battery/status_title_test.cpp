#include "battery/status_title.h"

#include "battery_test_support.h"

namespace battery {
namespace {

class StatusTitleTest : public BatteryTest {
  protected:
    // Every piece with a text of its own, as after a refresh.
    static BatteryTexts sample_texts() {
        BatteryTexts texts;
        texts.CyclesText = u"412 cycles";
        texts.ConditionText = u"Good";
        texts.PercentText = u"87%";
        texts.HealthText = u"92.3% health";
        texts.TimeLeftText = u"01:20 left";
        texts.TemperatureText = u"29.95°C";
        texts.FullChargeText = u"35 min to full";
        texts.ChargingText = u"Charging";
        return texts;
    }
};

TEST_F(StatusTitleTest, JoinsTheChosenPiecesInTitleOrder) {
    DisplaySettings all;
    all.ShowCycles = all.ShowCondition = all.ShowPercentage = all.ShowHealth = 1;
    all.ShowTimeLeft = all.ShowTemp = all.ShowFullChargeTime = all.ShowCharging = 1;
    DisplaySettings cycles_and_temperature;
    cycles_and_temperature.ShowCycles = 1;
    cycles_and_temperature.ShowTemp = -7; // any non-zero value is on
    DisplaySettings percent_and_charging;
    percent_and_charging.ShowCharging = 1;
    percent_and_charging.ShowPercentage = 1;
    DisplaySettings only_full_charge;
    only_full_charge.ShowFullChargeTime = 1;
    struct Row {
        DisplaySettings settings;
        const char16_t* expected;
    };
    const Row rows[] = {
        {all, u"412 cycles • Good • 87% • 92.3% health • 01:20 left • 29.95°C • 35 min to full "
              u"• Charging"},
        {cycles_and_temperature, u"412 cycles • 29.95°C"},
        {percent_and_charging, u"87% • Charging"},
        {only_full_charge, u"35 min to full"},
    };
    const BatteryTexts texts = sample_texts();
    for (const Row& row : rows) {
        EXPECT_EQ(compose_status_title(row.settings, texts), row.expected);
    }
}

TEST_F(StatusTitleTest, KeepsEmptyPiecesBetweenTheirSeparators) {
    BatteryTexts texts = sample_texts();
    texts.ConditionText = u"";
    texts.FullChargeText = u"";
    DisplaySettings settings;
    settings.ShowCycles = settings.ShowCondition = settings.ShowPercentage = 1;
    EXPECT_EQ(compose_status_title(settings, texts), u"412 cycles •  • 87%");
    settings = {};
    settings.ShowCondition = settings.ShowPercentage = 1;
    EXPECT_EQ(compose_status_title(settings, texts), u" • 87%");
    settings.ShowPercentage = 0;
    settings.ShowFullChargeTime = settings.ShowCharging = 1;
    EXPECT_EQ(compose_status_title(settings, texts), u" •  • Charging");
}

TEST_F(StatusTitleTest, FallsBackToThePercentageWhenNoPieceHasText) {
    BatteryTexts texts = sample_texts();
    texts.ConditionText = u"";
    texts.FullChargeText = u"";
    DisplaySettings none;
    DisplaySettings condition;
    condition.ShowCondition = 1;
    // Two empty pieces would otherwise leave a bare separator as the title.
    DisplaySettings condition_and_full_charge = condition;
    condition_and_full_charge.ShowFullChargeTime = 1;
    for (const DisplaySettings& settings : {none, condition, condition_and_full_charge}) {
        EXPECT_EQ(compose_status_title(settings, texts), u"87%");
    }
}

TEST_F(StatusTitleTest, CallsNoTimeLeftFullyCharged) {
    DisplaySettings settings;
    settings.ShowTimeLeft = 1;
    struct Row {
        const char16_t* time_left;
        const char16_t* expected;
    };
    const Row rows[] = {
        {u"00:00 left", u"Fully charged"},
        {u"00:00", u"Fully charged"},
        {u"01:20 left", u"01:20 left"},
        {u"00:01 left", u"00:01 left"},
        {u"-00:01 left", u"-00:01 left"},
        {u"0:00 left", u"0:00 left"},
        {u"[Not Found] left", u"[Not Found] left"},
    };
    BatteryTexts texts = sample_texts();
    for (const Row& row : rows) {
        texts.TimeLeftText = row.time_left;
        EXPECT_EQ(compose_status_title(settings, texts), row.expected);
    }
}

TEST_F(StatusTitleTest, ReadsTheSharedTexts) {
    battery_texts() = sample_texts();
    DisplaySettings settings;
    settings.ShowHealth = 1;
    settings.ShowTimeLeft = 1;
    battery_texts().TimeLeftText = u"00:00 left";
    EXPECT_EQ(ComposeStatusTitle(settings), u"92.3% health • Fully charged");
}

} // namespace
} // namespace battery
