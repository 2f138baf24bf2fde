#pragma once
// The battery's history as the indicator keeps it: a reading at each refresh, written to the
// history file (history/history_recorder.h) every ten minutes, at sleep and at quit.

namespace app {

// Opens the history file, or says once why there is none; the indicator runs on either way.
void StartBatteryHistory();
// The battery as the last refresh read it.
void RecordBatteryReading();
// What has gathered, at once: before sleep and at quit.
void WriteBatteryHistory();

} // namespace app
