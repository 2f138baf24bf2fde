#pragma once
// Telling the user of a problem that no window of the application shows, such as a setting that
// could not be stored: the platform says each distinct text once, on standard error and through
// the display.

#include "runtime/core/rt_string.h"

namespace rt {

// Says `text` unless it was said before.
void ReportProblem(TextArg text);
// The system's wording of errno, the reason the last failing system call gave ("No space left on
// device"); read it right after the failing procedure, before anything else can change errno.
String SystemErrorText();

} // namespace rt
