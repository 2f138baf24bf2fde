#pragma once
// The Preferences window: eight boxes choosing the pieces of the status title, Start at Login,
// and where the battery can be limited the charge limit's controls (charge_limit_box.h). A click on
// a display box changes the title at once; the choices are stored when the window closes.

#include "battery/battery_texts.h"
#include "battery/display_settings.h"
#include "runtime/core/rt_string.h"

namespace app {

// Opens the window centred on the display under the pointer, unless it is open already.
void ShowPreferencesWindow();
// Takes the boxes' states as the display settings and shows the title they give.
void DisplayBoxClicked();
// Shows the title of the ticked boxes, stores the boxes' states, closes the window.
void ClosePreferencesWindow();

// The title of the ticked pieces joined by " • ", with the texts as they are (a time left of
// "00:00" stays so); the percentage when nothing is ticked.
rt::String compose_title_from_boxes(const battery::DisplaySettings& ticked,
                                    const battery::BatteryTexts& texts);

} // namespace app
