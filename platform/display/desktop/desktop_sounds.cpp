#include "platform/display/desktop/desktop_sounds.h"

#include <canberra-gtk.h>

#include <array>
#include <string>

namespace {

struct SoundEvent {
    int id;
    std::string_view event;
};

// The ids the indicator plays and the theme's events for them.
constexpr std::array<SoundEvent, 1> k_sound_events = {
    SoundEvent{22, "dialog-warning"}, // the battery warning
};

} // namespace

std::string_view sound_event_for(int id) {
    for (const SoundEvent& sound : k_sound_events) {
        if (sound.id == id) return sound.event;
    }
    return "bell";
}

// The GTK context follows the desktop's sound theme and whether event sounds are on; its
// result is not looked at, since silence is the only other outcome.
void play_theme_sound(int id) {
    ca_context* context = ca_gtk_context_get();
    if (!context) return;
    const std::string event(sound_event_for(id));
    ca_context_play(context, 0, CA_PROP_EVENT_ID, event.c_str(), CA_PROP_APPLICATION_NAME,
                    "Zerarazi", CA_PROP_APPLICATION_ID, "org.zerarazi.Zerarazi", nullptr);
}
