#pragma once
// System sounds: the sound is played by the display the model is shown on, which may stand in
// for it (a bell, a line of output); without a display nothing is heard.

#include <cstdint>

using SystemSoundID = uint32_t;

// Returns at once; the sound plays on without the caller.
void AudioServicesPlaySystemSound(SystemSoundID sound);
