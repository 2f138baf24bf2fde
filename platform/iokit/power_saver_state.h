#pragma once
// Whether the power-profiles service has the machine in its power-saver profile, as the system
// bus's thread last learnt it. The battery sources read it at every refresh; it costs no bus
// message to read.

#include <cstdint>

enum class PowerSaver : uint8_t {
    unknown, // no power-profiles service answers on the system bus
    off,
    on,
};

// Thread-safe.
PowerSaver power_saver_state();
void set_power_saver_state(PowerSaver state);
