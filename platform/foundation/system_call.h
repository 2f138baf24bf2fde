#pragma once
// The outcome of a system call, kept with its name and errno from the moment it fails until a
// caller reports it, so that no cleanup in between can overwrite why. Each call is wrapped once,
// where it is made; the runtime's procedures turn the outcome into their own 1/0 result (with
// errno set) in one line.

#include <string>

struct [[nodiscard]] SystemCall {
    const char* name = nullptr; // null when the call succeeded
    int error = 0;

    bool ok() const { return name == nullptr; }
    // "rename: Permission denied"
    std::string message() const;
};

// The failure of the call `name`, with the current errno.
SystemCall failed_call(const char* name);
// The outcome of a call that reports failure by returning -1 (any negative value).
SystemCall system_call(const char* name, long result);

// The runtime's result of an operation: 1 when it succeeded; 0 with errno set to why it failed.
int result_of(const SystemCall& call);
