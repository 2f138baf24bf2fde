#include "platform/display/desktop/desktop_sounds.h"

#include <canberra-gtk.h>

#include <array>
#include <cstring>
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

bool file_exists(const std::string& path) {
    return g_file_test(path.c_str(), G_FILE_TEST_EXISTS);
}

// Where sounds can go: a sound server (PulseAudio, or PipeWire in its place), else ALSA when the
// kernel has a sound card; null for neither. Without either, ALSA would fill standard error with
// complaints at every sound.
const char* sound_driver() {
    const char* runtime_dir = g_getenv("XDG_RUNTIME_DIR");
    if (g_getenv("PULSE_SERVER") ||
        (runtime_dir && file_exists(std::string(runtime_dir) + "/pulse/native")))
        return "pulse";
    gchar* cards = nullptr;
    if (!g_file_get_contents("/proc/asound/cards", &cards, nullptr, nullptr)) return nullptr;
    const bool has_card = std::strstr(cards, "no soundcards") == nullptr && cards[0] != '\0';
    g_free(cards);
    return has_card ? "alsa" : nullptr;
}

// The GTK context follows the desktop's sound theme and whether event sounds are on; null when
// no sound can be heard.
ca_context* sound_context() {
    static const char* const driver = sound_driver();
    static ca_context* const context = driver ? ca_gtk_context_get() : nullptr;
    static const bool driver_set = context && ca_context_set_driver(context, driver) == CA_SUCCESS;
    return driver_set ? context : nullptr;
}

} // namespace

std::string_view sound_event_for(int id) {
    for (const SoundEvent& sound : k_sound_events) {
        if (sound.id == id) return sound.event;
    }
    return "bell";
}

// The result is not looked at: silence is the only other outcome.
void play_theme_sound(int id, const ProgramIdentity& program) {
    ca_context* context = sound_context();
    if (!context) return;
    const std::string event(sound_event_for(id));
    ca_context_play(context, 0, CA_PROP_EVENT_ID, event.c_str(), CA_PROP_APPLICATION_NAME,
                    program.name.c_str(), CA_PROP_APPLICATION_ID, program.identifier.c_str(),
                    nullptr);
}
