#pragma once
// System sounds through the desktop's sound theme (libcanberra). Without a sound server, or with
// a theme that lacks the sound, nothing is heard and nothing fails.

#include "platform/foundation/program_identity.h"

#include <string_view>

// Played as a sound of `program`'s.
void play_theme_sound(int id, const ProgramIdentity& program);

// The sound theme's event for a system sound id; "bell" for an id without one of its own.
std::string_view sound_event_for(int id);
