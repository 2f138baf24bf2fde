#include "battery/status_title.h"

#include "battery/text_update.h"

#include <array>
#include <string_view>

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

std::u16string_view piece_text(const TitlePiece& piece, const BatteryTexts& texts) {
    const std::u16string_view text = (texts.*piece.text).view();
    if (piece.text == &BatteryTexts::TimeLeftText && text.starts_with(u"00:00"))
        return u"Fully charged";
    return text;
}

} // namespace

void update_status_title(rt::String& title, const DisplaySettings& settings,
                         const BatteryTexts& texts) {
    std::array<std::u16string_view, 2 * std::size(k_title_pieces)> pieces;
    std::size_t count = 0;
    bool any_text = false;
    for (const TitlePiece& piece : k_title_pieces) {
        if (settings.*piece.setting == 0) continue;
        if (count > 0) pieces[count++] = k_separator;
        const std::u16string_view text = piece_text(piece, texts);
        any_text = any_text || !text.empty();
        pieces[count++] = text;
    }
    if (any_text) {
        update_joined(title, std::span(pieces.data(), count));
    } else {
        update_text(title, texts.PercentText);
    }
}

rt::String compose_status_title(const DisplaySettings& settings, const BatteryTexts& texts) {
    rt::String title;
    update_status_title(title, settings, texts);
    return title;
}

rt::String ComposeStatusTitle(const DisplaySettings& settings) {
    return compose_status_title(settings, battery_texts());
}

} // namespace battery
