#pragma once
// The whole history as one CSV table for a spreadsheet or a script: the readings (an hour's row
// where only the hour is kept), oldest first, then each battery's days. Every row says its kind;
// times are ISO 8601 in UTC, and the header gives each column's unit.
//
//   kind,time (UTC),charge (%),left (mAh),current (mA),state,on mains,battery,full (mAh),...
//   reading,2026-12-08T21:32:20Z,57,2850,-910,discharging,no,,,,,
//   hour,2026-11-20T09:00:00Z,80,4000,-700,discharging,no,,,,,
//   day,2026-12-08,,,,,,SN123,4410,5000,212,88.2

#include "history/history_store.h"

#include <cstdint>
#include <ostream>
#include <string>

void write_history_csv(const HistoryStore& store, std::ostream& out);

// The time as strftime's `format` writes it in UTC; empty when it cannot be.
std::string utc_text(std::int64_t seconds_since_1970, const char* format);
// "2026-12-08T21:32:20Z".
std::string iso_time(std::int64_t seconds_since_1970);
// "2026-12-08", of a day counted from 1970-01-01.
std::string iso_day(std::int64_t days_since_1970);
