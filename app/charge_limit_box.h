#pragma once
// The charge limit in Preferences, where the battery can be limited: the box "Limit Charge to
// 80%" with the limit chosen among 60, 70, 80 and 90 %, and the button "Charge to 100% Once".
// The controls show what the charge limit's service says holds: a change is asked for, the
// controls wait for the answer, and a refusal or a missing service puts the state in force back,
// with one line and a notification saying why.

#include <cstdint>

struct ChargeLimitAnswer;

namespace app {

// Whether the battery reports a charge limit, so that the controls are shown.
bool BatteryCanBeLimited();
// Makes the controls in the open Preferences window from `y` down, and asks the service's state.
void AddChargeLimitControls(int32_t y);
// The person's clicks on the controls.
void ChargeLimitBoxClicked();
void ChargeLimitChosen();
void ChargeOnceClicked();
// Where the system's power daemon holds the thresholds, sets the limit again once the battery
// charging fully once is full or unplugged; called at each refresh.
void EndChargingOnceWhenDue();
// An answer of the service, on the main thread.
void TakeChargeLimitAnswer(const ChargeLimitAnswer& answer);

} // namespace app
