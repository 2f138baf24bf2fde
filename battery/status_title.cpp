#include "battery/status_title.h"

#include "runtime/core/string_functions.h"

namespace battery {
namespace {

struct TitlePiece {
    int64_t DisplaySettings::*setting;
    rt::String BatteryTexts::*text;
};

// The title order.
constexpr TitlePiece k_title_pieces[] = {
    {&DisplaySettings::ShowCycles, &BatteryTexts::CyclesText},
    {&DisplaySettings::ShowCondition, &BatteryTexts::ConditionText},
    {&DisplaySettings::ShowPercentage, &BatteryTexts::PercentText},
    {&DisplaySettings::ShowHealth, &BatteryTexts::HealthText},
    {&DisplaySettings::ShowTimeLeft, &BatteryTexts::TimeLeftText},
    {&DisplaySettings::ShowTemp, &BatteryTexts::TemperatureText},
    {&DisplaySettings::ShowFullChargeTime, &BatteryTexts::FullChargeText},
    {&DisplaySettings::ShowCharging, &BatteryTexts::ChargingText},
};

constexpr const char16_t* k_separator = u" \u2022 ";

rt::String piece_text(const TitlePiece& piece, const BatteryTexts& texts) {
    const rt::String& text = texts.*piece.text;
    if (piece.text != &BatteryTexts::TimeLeftText) return text;
    if (rt::LeftText(text, 5) == u"00:00") return u"Fully charged";
    return text;
}

} // namespace

rt::String compose_status_title(const DisplaySettings& settings, const BatteryTexts& texts) {
    rt::String title;
    bool first = true;
    bool any_text = false;
    for (const TitlePiece& piece : k_title_pieces) {
        if (settings.*piece.setting == 0) continue;
        const rt::String text = piece_text(piece, texts);
        if (!first) title += k_separator;
        title += text;
        first = false;
        any_text = any_text || !text.empty();
    }
    if (!any_text) return texts.PercentText;
    return title;
}

rt::String ComposeStatusTitle(const DisplaySettings& settings) {
    return compose_status_title(settings, battery_texts());
}

} // namespace battery
