#pragma once
// The status item: the battery picture, the title and the tooltip in the menu bar, and the menu
// under it, made once at start-up and renewed on every tick of the refresh timer.

#include "runtime/core/rt_string.h"

namespace app {

// Makes the status item and its menu and gives them their first contents.
void MakeStatusItem();
// Reads the battery again and renews the menu's power line, the picture, the tooltip and the
// title. The settings in memory decide what the title shows.
void RefreshStatus();
// Reads the battery anew: its registry properties, the power source and the texts made of them.
void ReadBattery();
// Gives the status item `title` (when it exists).
void SetStatusTitle(const rt::String& title);

// A key equivalent written with the platform's symbols ("⌘I") as the runtime's shortcut label
// ("Cmd+I"): a "+" between the symbols and the key, each symbol replaced by its name.
rt::String ShortcutLabel(rt::TextArg symbols);

} // namespace app
