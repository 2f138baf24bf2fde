#pragma once
// The date library's start-up and end: the time zone and the Gregorian calendar that date
// arithmetic uses, kept for the whole run.

namespace rt {

// Keeps the platform's default time zone and a Gregorian calendar. Returns 1, or 0 when either
// cannot be had.
int InitDates();
// Lets both go; InitDates may run again afterwards.
void EndDates();

// Whether InitDates has run and EndDates has not.
bool dates_ready();

} // namespace rt
