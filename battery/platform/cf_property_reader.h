#pragma once
// Reading a Core Foundation dictionary of the registry or of a power source into key and value
// pairs, the way the battery readers take them.

#include "battery/platform/property_value.h"
#include "platform/foundation/core_foundation.h"

namespace battery {

// Reads the dictionary's pairs into `properties` over the previous reading, keeping every key and
// text that reads the same as the one in its place. Keys are read as UTF-8 into a 256-byte buffer
// limited to 255 bytes; a key that does not fit, or is not a string, is skipped. Numbers are read
// as signed 32-bit integers, strings through their UTF-8 form, booleans as they are; any other
// value is OtherValue. Null gives no pairs.
void read_cf_properties(CFDictionaryRef dictionary, PlatformProperties& properties);

} // namespace battery
