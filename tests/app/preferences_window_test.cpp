#include "app/preferences_window.h"

#include "runtime/core/temp_area.h"

#include <gtest/gtest.h>

namespace app {
namespace {

battery::BatteryTexts sample_texts() {
    battery::BatteryTexts texts;
    texts.CyclesText = u"214 cycles";
    texts.ConditionText = u"Good";
    texts.PercentText = u"78%";
    texts.HealthText = u"90.9%";
    texts.TimeLeftText = u"00:00";
    texts.TemperatureText = u"31.9°C";
    texts.FullChargeText = u"1:05";
    texts.ChargingText = u"Charging";
    return texts;
}

TEST(ComposeTitleFromBoxes, JoinsTheTickedPiecesInTitleOrder) {
    rt::InitStrings();
    const battery::BatteryTexts texts = sample_texts();
    struct Row {
        battery::DisplaySettings ticked;
        const char* title;
    };
    const Row rows[] = {
        {{.ShowPercentage = 1}, "78%"},
        {{.ShowCycles = 1, .ShowTemp = 1, .ShowCharging = 1}, "214 cycles • 31.9°C • Charging"},
        // The time left stays as it is, unlike the refresh's title.
        {{.ShowHealth = 1, .ShowTimeLeft = 1}, "90.9% • 00:00"},
        {{.ShowCondition = 1, .ShowFullChargeTime = 1}, "Good • 1:05"},
        {{}, "78%"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(compose_title_from_boxes(row.ticked, texts).utf8(), row.title) << row.title;
}

} // namespace
} // namespace app
