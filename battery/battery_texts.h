#pragma once
// BatteryTexts: the display texts derived from the battery readings on each refresh, read by the
// status title, the condition evaluator, the information report and the preferences preview.

#include "runtime/core/rt_string.h"

#include <cstdint>

namespace battery {

// All empty at program start. UpdateBatteryTexts writes the texts drawn from the registry;
// ReadPowerSourceInfo writes FullChargeText, ConditionText and LowPowerModeText; the main
// program writes PowerSourceText.
struct BatteryTexts {
    rt::String DeviceNameText;
    rt::String SerialText;
    rt::String CyclesText;
    rt::String ChargingText;
    rt::String TemperatureText;
    rt::String TimeLeftText;
    rt::String PercentText;
    rt::String MaxCapacityText;
    rt::String HealthText;
    rt::String FullChargeText;
    rt::String ConditionText;
    rt::String LowPowerModeText;
    rt::String PowerSourceText;
};

// The process-wide set.
BatteryTexts& battery_texts();

// Rewrites the registry-derived texts from the loaded battery properties; a missing property
// takes part as its "[Not Found]" text ("[Not Found] cycles").
void UpdateBatteryTexts();

// "87%": the integer reading clamped to 0 ... 100; a text that is not a number reads as 0.
rt::String percent_text(rt::TextArg current_capacity);

// "92.3% health": the full-charge capacity against the design capacity, one decimal, not
// clamped; "Unknown" when the design capacity is below 1.
rt::String health_text(int64_t full_charge_capacity, int64_t design_capacity);

} // namespace battery
