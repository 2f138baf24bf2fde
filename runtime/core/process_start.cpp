#include "runtime/core/process_start.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace rt {
namespace {

constexpr int child_failure_status = 1;

// Forks with every signal blocked. The parent gets its mask back at once; the child keeps them
// blocked and finds the parent's mask in `saved`.
pid_t fork_with_signals_blocked(sigset_t* saved) {
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, saved);
    const pid_t pid = fork();
    if (pid != 0) pthread_sigmask(SIG_SETMASK, saved, nullptr);
    return pid;
}

void reset_signal_actions() {
    for (int signal_number = 1; signal_number < NSIG; ++signal_number) {
        struct sigaction action;
        if (sigaction(signal_number, nullptr, &action) != 0) continue;
        const bool caught = action.sa_handler != SIG_DFL && action.sa_handler != SIG_IGN;
        const bool ignored_pipe = signal_number == SIGPIPE && action.sa_handler == SIG_IGN;
        if (!caught && !ignored_pipe) continue;
        action.sa_handler = SIG_DFL;
        action.sa_flags = 0;
        sigemptyset(&action.sa_mask);
        sigaction(signal_number, &action, nullptr);
    }
}

// Moves the sources onto 0, 1 and 2. Sources that are themselves 0, 1 or 2 are first copied
// above 2, so that placing one cannot overwrite another still to be placed.
bool redirect_standard_descriptors(const ChildPlan& plan) {
    int sources[3] = {plan.stdin_source, plan.stdout_source, plan.stderr_source};
    for (int& source : sources) {
        if (source < 0 || source > 2) continue;
        source = fcntl(source, F_DUPFD_CLOEXEC, 3);
        if (source < 0) return false;
    }
    for (int target = 0; target < 3; ++target) {
        if (sources[target] >= 0 && dup2(sources[target], target) < 0) return false;
    }
    if (plan.make_stdin_blocking) {
        const int status_flags = fcntl(0, F_GETFL);
        if (status_flags != -1) fcntl(0, F_SETFL, status_flags & ~O_NONBLOCK);
    }
    return true;
}

[[noreturn]] void run_program(const ChildPlan& plan, const sigset_t& parent_mask) {
    reset_signal_actions();
    if (plan.directory && *plan.directory != 0 && chdir(plan.directory) != 0) {
        // The program then runs in the inherited directory.
    }
    if (!redirect_standard_descriptors(plan)) _exit(child_failure_status);
    close_range(3, ~0U, 0);
    sigprocmask(SIG_SETMASK, &parent_mask, nullptr);
    char** argv = plan.vector + child_vector_spare;
    execve(plan.exec_path, argv, environ);
    if (errno == ENOEXEC) {
        plan.vector[0] = const_cast<char*>("/bin/sh");
        plan.vector[1] = const_cast<char*>(plan.exec_path);
        execve("/bin/sh", plan.vector, environ);
    }
    _exit(child_failure_status);
}

bool write_exact(int descriptor, const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t written = write(descriptor, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool read_exact(int descriptor, void* data, size_t size) {
    auto* bytes = static_cast<unsigned char*>(data);
    while (size > 0) {
        const ssize_t got = read(descriptor, bytes, size);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        bytes += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

// The middle process of a detached start: starts the program and reports its process id through
// the pipe before it ends. Its own fork is _Fork, which is async-signal-safe.
[[noreturn]] void run_middle(const ChildPlan& plan, const int report[2],
                             const sigset_t& parent_mask) {
    close(report[0]);
    const pid_t program = _Fork();
    if (program == 0) {
        close(report[1]);
        run_program(plan, parent_mask);
    }
    if (program < 0) _exit(child_failure_status);
    const int32_t id = program;
    _exit(write_exact(report[1], &id, sizeof id) ? 0 : child_failure_status);
}

} // namespace

pid_t start_child(const ChildPlan& plan) {
    sigset_t parent_mask;
    const pid_t pid = fork_with_signals_blocked(&parent_mask);
    if (pid == 0) run_program(plan, parent_mask);
    return pid < 0 ? -1 : pid;
}

pid_t start_detached(const ChildPlan& plan) {
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return -1;
    sigset_t parent_mask;
    const pid_t middle = fork_with_signals_blocked(&parent_mask);
    if (middle == 0) run_middle(plan, report, parent_mask);
    close(report[1]);
    int32_t id = -1;
    if (middle < 0 || !read_exact(report[0], &id, sizeof id)) id = -1;
    close(report[0]);
    if (middle < 0) return -1;
    // ECHILD means the system reaped the middle process itself (SIGCHLD ignored): the program
    // was still started.
    if (wait_for_process(middle, nullptr) < 0 && errno != ECHILD) return -1;
    return id > 0 ? id : -1;
}

pid_t wait_for_process(pid_t pid, int* status) {
    int ignored = 0;
    for (;;) {
        const pid_t result = waitpid(pid, status ? status : &ignored, 0);
        if (result >= 0 || errno != EINTR) return result;
    }
}

int32_t exit_code_of(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

} // namespace rt
