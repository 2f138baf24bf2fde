#pragma once
// The machine's batteries one by one, where it has several: the registry entry and the power
// source show them combined, while a battery's health belongs to each battery alone.

#include "platform/iokit/battery_facts.h"

#include <vector>

// In name order; empty with one battery, none, or a recording.
std::vector<BatteryPart> copy_battery_parts();
