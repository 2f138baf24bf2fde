#pragma once
// What the model may ask of the charge limit's service, and what comes back. The service runs as
// root; asking goes over the system bus (platform/system/charge_limit_client.h) and answers
// reach the model on its main thread (platform/appkit/charge_limit_requests.h).

#include <cstdint>
#include <string>

enum class ChargeLimitAsk : std::uint8_t {
    state,             // the limit stored, and whether charging fully once
    set_limit,         // `percent`, 100 for none
    charge_fully_once, // lift the limit until full or unplugged
};

struct ChargeLimitRequest {
    ChargeLimitAsk ask = ChargeLimitAsk::state;
    int percent = 100;
};

enum class ChargeLimitOutcome : std::uint8_t {
    done,
    refused,       // the administrator's authorisation was not given
    not_installed, // no service answers on the system bus, or no system bus
    not_supported, // no battery of the machine's can be limited
    failed,        // anything else: the message says what
};

struct ChargeLimitAnswer {
    ChargeLimitAsk ask = ChargeLimitAsk::state;
    ChargeLimitOutcome outcome = ChargeLimitOutcome::failed;
    std::string message; // empty when done
    // The service's state after the request; meaningful only when done.
    int limit = 100;
    bool charging_once = false;
    // The system's power daemon holds the thresholds: the limit is turned on or off, not chosen,
    // and charging fully once lasts until the model sets the limit again.
    bool system_thresholds = false;
    // With the system's thresholds: the limit they hold when turned on.
    int system_limit = 100;
};
