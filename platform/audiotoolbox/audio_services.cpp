#include "platform/audiotoolbox/audio_services.h"

#include "platform/display/display_slot.h"

void AudioServicesPlaySystemSound(SystemSoundID sound) {
    if (Display* display = current_display()) display->play_sound(static_cast<int>(sound));
}
