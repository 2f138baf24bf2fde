#pragma once
// The text beside the status icon: the chosen pieces of battery information, joined by " • ".

#include "battery/battery_texts.h"
#include "battery/display_settings.h"
#include "runtime/core/rt_string.h"

namespace battery {

// The texts of the settings that are on, in title order; a time left of "00:00" reads "Fully
// charged". A piece with an empty text still takes its place between separators. When no piece
// has any text (no setting on, or only empty pieces) the title is the charge percentage.
rt::String compose_status_title(const DisplaySettings& settings, const BatteryTexts& texts);

// Makes `title` the composed title, making no new string when it already reads so.
void update_status_title(rt::String& title, const DisplaySettings& settings,
                         const BatteryTexts& texts);
// compose_status_title over the shared BatteryTexts.
rt::String ComposeStatusTitle(const DisplaySettings& settings);

} // namespace battery
