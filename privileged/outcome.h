#pragma once
// What a request to the service came to, and the D-Bus error that tells a caller it was refused.

enum class Outcome {
    Done,
    NotAuthorized, // the authority said no, or could not be asked
    InvalidLimit,  // not a whole percent from 50 to 100
    NotSupported,  // no battery of the machine's can be limited
    WriteFailed,   // a battery or the state folder refused the write
    Busy,          // too many requests of the caller's are waiting for the authority
};

struct OutcomeError {
    Outcome outcome;
    const char* name;    // the D-Bus error's name
    const char* message; // what it says to a person
};

// The error for a refusal; null for Outcome::Done.
const OutcomeError* outcome_error(Outcome outcome);
