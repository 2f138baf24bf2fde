#pragma once
// The indicator's main program: it starts the runtime, checks that it runs where it can be of
// use, builds the status item, and then hands every event to its handler until it quits.

namespace app {

// Never returns in a running program: the quit path ends the process. (Where the process end is
// only recorded, as in tests, it returns the exit status.)
int IndicatorMain(int argument_count, char** arguments);

// The indicator's start-up, from the runtime's start to the observer; false when the process
// was ended on the way (no battery).
bool StartIndicator(int argument_count, char** arguments);

// Whether the machine has an installed battery, as the hardware registry tells it.
bool BatteryPresent();

} // namespace app
