#pragma once
// The history as the program opens it: the file in its place (history_place.h) under the
// program's name from its bundle, the folders made private, and every problem said through the
// reporter (platform/foundation/problem_report.h: standard error, and on the desktop a
// notification), once.

#include "history/history_recorder.h"

#include <memory>

// A recorder without a store when the file cannot be had.
std::unique_ptr<HistoryRecorder> start_history();
