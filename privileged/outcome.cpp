#include "privileged/outcome.h"

namespace {

constexpr OutcomeError k_errors[] = {
    {Outcome::NotAuthorized, "org.zerarazi.ChargeLimit1.Error.NotAuthorized",
     "Not authorized to change the battery's charge limit"},
    {Outcome::InvalidLimit, "org.zerarazi.ChargeLimit1.Error.InvalidLimit",
     "A charge limit is a whole percent from 50 to 100"},
    {Outcome::NotSupported, "org.zerarazi.ChargeLimit1.Error.NotSupported",
     "No battery of this machine's can have its charge limited"},
    {Outcome::WriteFailed, "org.zerarazi.ChargeLimit1.Error.WriteFailed",
     "The charge limit could not be written"},
    {Outcome::Busy, "org.zerarazi.ChargeLimit1.Error.Busy",
     "Too many requests are waiting for authorization"},
};

} // namespace

const OutcomeError* outcome_error(Outcome outcome) {
    for (const OutcomeError& error : k_errors) {
        if (error.outcome == outcome) return &error;
    }
    return nullptr;
}
