#pragma once
// The battery's registry entry ("AppleSmartBattery") and its power-source description, built
// from the facts of the power supplies. Keys come in a fixed order; integers are numbers,
// flags the shared booleans, names strings. A fact that is absent leaves its key out, except
// for the times, which stand at the registry's "unknown" (65535) or the power source's (-1).

#include "platform/foundation/ns_dictionary.h"
#include "platform/iokit/battery_facts.h"

// Both hold one reference for the caller.
ObjcRef<NSMutableDictionary> make_registry_entry(const BatteryFacts& facts);
ObjcRef<NSMutableDictionary> make_power_source_description(const BatteryFacts& facts);

// Make a dictionary the matching make_... function gave, and nobody else holds, what it would
// give for `facts`, in place, keeping the objects of unchanged values. False when the keys would
// not be the same in the same order; the dictionary is then left half-written, to be dropped.
bool update_registry_entry(NSMutableDictionary& entry, const BatteryFacts& facts);
bool update_power_source_description(NSMutableDictionary& description, const BatteryFacts& facts);
