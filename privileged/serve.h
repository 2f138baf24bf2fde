#pragma once
// Serving org.zerarazi.ChargeLimit1 until idle, and applying the stored limit from the command
// line (--apply): the two things the program does.

#include "privileged/options.h"

// Both return the program's exit status.
int serve(const Options& options);
int apply_once(const Options& options);
