#pragma once
// The two alerts about the battery: the warning at start-up when the system does not call its
// condition good, and the Battery Information report.

namespace app {

// Once per start: the sound and the "Battery Warning!" alert, when the condition calls for them.
void ShowConditionWarning();
// The report of the last refresh, in an alert.
void ShowBatteryInformation();

} // namespace app
