#pragma once
// Where a display gets the battery's history when it shows it: below the Battery Information
// alert's text, and as the answer to the driver's `history` command. Working the charts out reads
// days of readings from disk, so the program hands over a source to ask then, not the charts at
// every refresh. Main thread only.

#include "platform/display/history_charts.h"

#include <functional>
#include <memory>

// Null: there is no history to show.
using HistorySource = std::function<std::shared_ptr<const HistoryCharts>()>;

// Replaces the source; an empty one takes it away.
void set_history_source(HistorySource source);
// The charts as the source has them now; null without a source or without a history.
std::shared_ptr<const HistoryCharts> current_history();
