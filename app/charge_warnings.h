#pragma once
// The charge warnings as a person sees them: the battery's properties of the last refresh read
// into a reading, the decision of battery_warnings.h, and the notification it calls for.

#include "app/battery_warnings.h"

namespace app {

// After each read of the battery: delivers the warning the charge calls for, if any.
void WarnAboutCharge(const WarningSettings& settings);

} // namespace app
