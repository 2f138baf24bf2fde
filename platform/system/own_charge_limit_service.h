#pragma once
// The program's own charge limit service, org.zerarazi.ChargeLimit1 (docs/CHARGE_LIMIT.md),
// started by activation: the request is sent, then the state asked, so that the answer carries
// the limit in force.

#include "platform/iokit/charge_limit_request.h"

struct BusCall;

void answer_through_own_service(BusCall& bus, const ChargeLimitRequest& request,
                                ChargeLimitAnswer& answer);
