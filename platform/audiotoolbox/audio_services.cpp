#include "platform/audiotoolbox/audio_services.h"

#include "platform/appkit/display_link.h"

void AudioServicesPlaySystemSound(SystemSoundID sound) {
    if (Display* display = current_display()) display->play_sound(static_cast<int>(sound));
}
