#pragma once
// The sleep and wake observer: a small native class, made at run time, whose two methods turn the
// workspace's will-sleep and did-wake notifications into the indicator's own events.

namespace app {

// Makes the class (once per process), one instance of it, and registers the instance for both
// notifications; the instance is kept in the indicator's state.
void InstallSleepWakeObserver();
// Unregisters the instance for both notifications; the class and the instance stay.
void RemoveSleepWakeObserver();

// What the event loop does with the two events: sleep stops the refresh timer; wake starts it
// again unless the wake handler has started it since the last sleep.
void HandleSleepEvent();
void HandleWakeEvent();

} // namespace app
