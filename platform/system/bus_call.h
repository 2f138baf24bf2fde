#pragma once
// A blocking method call on a bus connection, as the charge limit's client makes them on its own
// thread: interactive authorisation allowed, a wait long enough for a person to answer polkit,
// and the failure turned into the outcome a person is told.

#include "platform/iokit/charge_limit_request.h"

#include <string>

struct _GDBusConnection;
struct _GCancellable;
struct _GVariant;
struct _GVariantType;

struct BusCallFailure {
    ChargeLimitOutcome outcome = ChargeLimitOutcome::failed;
    std::string message;
};

struct BusCall {
    _GDBusConnection* bus;
    _GCancellable* cancellable;
    BusCallFailure failure; // of the last call that failed

    // The reply (to be unreferenced), or null with `failure` set. `parameters` is floating or null.
    _GVariant* call(const char* name, const char* path, const char* interface, const char* method,
                    _GVariant* parameters, const _GVariantType* reply_type);
};

// The outcome of a D-Bus error's name: refusals of authorisation or of the bus's policy,
// a service that is not there, one that cannot limit a battery, anything else.
ChargeLimitOutcome outcome_of_error_name(const std::string& name);
