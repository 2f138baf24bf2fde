#pragma once
// The indicator's one loop: it waits for the next runtime event and hands it to its handler.

#include <cstdint>

namespace app {

// Runs until the quit path has run; returns the exit status where ending the process only
// records it.
int RunEventLoop();
// Hands one event, of the kind WaitEvent returned, to its handler; returns false once the
// quit path has run.
bool DispatchEvent(int32_t kind);
// Removes the observer, ends the runtime and the process with status 0.
void QuitIndicator();

} // namespace app
