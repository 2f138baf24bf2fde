#pragma once
// The system's power daemon, where it offers charge thresholds on its batteries (UPower 1.90.5
// and later: the Device interface's ChargeThresholdSupported and EnableChargeThreshold). Its
// thresholds are the system's own, set up for the machine, so the limit is turned on or off
// rather than chosen, on every battery that offers one; charging fully once turns it off, and it
// stays off until the model turns it on again (when the battery is full or unplugged).

#include "platform/iokit/charge_limit_request.h"

struct BusCall;

// Whether the daemon offers thresholds; when it does, the request is answered through it.
// `charging_once` is kept between requests by the caller.
bool answer_through_upower(BusCall& bus, const ChargeLimitRequest& request,
                           ChargeLimitAnswer& answer, bool& charging_once);
