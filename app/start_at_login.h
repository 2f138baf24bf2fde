#pragma once
// Start at Login: the box installs the launch agent and loads it, or unloads and removes it.

namespace app {

// Turns Start at Login over and stores the result. When the agent cannot be installed or
// removed, the setting and the box stay as they were, and that value is stored.
void ToggleStartAtLogin();

} // namespace app
