#pragma once
// Starting a program in a new process. A ChildPlan holds everything the child needs, prepared by
// the parent beforehand, because between fork and exec the child of a multithreaded process may
// make only async-signal-safe calls: no allocation, no locks, no stdio.
//
// Signals stay blocked from just before the fork until the child has set every caught signal
// back to its default action, so no handler of the parent ever runs in the child; the child then
// takes the launching thread's signal mask and execs. An ignored SIGPIPE is set back to its
// default too, so that the program dies on a closed pipe as programs expect. The child keeps only
// descriptors 0, 1 and 2: every other descriptor is closed before the exec, whatever its
// close-on-exec flag.

#include <cstdint>
#include <sys/types.h>

namespace rt {

// Entries in front of the argument vector of a ChildPlan. The child uses them to hand a file that
// the system cannot execute directly to /bin/sh as a script, as execvp does.
inline constexpr int child_vector_spare = 1;

struct ChildPlan {
    // The file to execute; a relative path counts from `directory`.
    const char* exec_path = nullptr;
    // child_vector_spare writable entries, then the argument vector (entry 0 the program text)
    // and its null.
    char** vector = nullptr;
    // Made the working directory first when not empty; failing to is ignored.
    const char* directory = nullptr;
    // Descriptors that become 0, 1 and 2 in the child; -1 keeps the parent's.
    int stdin_source = -1;
    int stdout_source = -1;
    int stderr_source = -1;
    // Clears O_NONBLOCK on the child's descriptor 0 (and on every descriptor that shares its
    // open file description).
    bool make_stdin_blocking = false;
};

// Starts the plan in a child (one fork): its process id, which the caller must reap, or -1 when
// the fork fails.
pid_t start_child(const ChildPlan& plan);
// Starts the plan in a grandchild (two forks; the middle process ends at once and is reaped
// here), so that the program is never a child of this process: its process id, or -1.
pid_t start_detached(const ChildPlan& plan);

// waitpid on `pid`, repeated while interrupted: the process id, or -1 with errno set. `status`
// may be null.
pid_t wait_for_process(pid_t pid, int* status);
// The exit code of a finished process: its exit status when it exited, 1 when a signal ended it.
int32_t exit_code_of(int status);

} // namespace rt
