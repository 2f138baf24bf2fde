#pragma once
// The first power source's description as display texts: the minutes to a full charge, the
// system's condition verdict and whether Low Power Mode is on.

#include "battery/battery_texts.h"
#include "battery/platform/property_value.h"

namespace battery {

// Reads the first power source through the current battery platform and applies it to the
// shared BatteryTexts; no description changes nothing.
void ReadPowerSourceInfo();

// Sets FullChargeText from "Time to Full Charge", ConditionText from "BatteryHealth" and
// LowPowerModeText from "LPM Active". A field whose entry is absent, or holds a value of another
// kind than the field reads (an integer, a text, an integer), keeps its text; other entries are
// ignored. The charge level comes from the loaded battery properties.
void apply_power_source_description(const PlatformProperties& description, BatteryTexts& texts);

// "Calculating..." below 1 or from 1000 minutes on; "Fully charged" from 99 % charge on;
// otherwise "<minutes> min to full".
rt::String full_charge_text(int64_t minutes_to_full, int64_t charge_percent);

} // namespace battery
