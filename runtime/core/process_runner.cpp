#include "runtime/core/process_runner.h"

#include "platform/foundation/system_call.h"
#include "runtime/core/argument_split.h"
#include "runtime/core/locks.h"
#include "runtime/core/memory.h"
#include "runtime/core/process_start.h"
#include "runtime/core/program_search.h"
#include "runtime/core/string_conversions.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <fcntl.h>
#include <new>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace rt {
namespace {

constexpr size_t waiter_stack_size = 16000;

// A process object in the list, laid out as the object registry's AutoNumber nodes.
struct ProcessNode {
    ProcessNode* next;     // towards older objects
    ProcessNode* previous; // towards newer objects
    ProcessRecord record;
};

pthread_once_t g_list_once = PTHREAD_ONCE_INIT;
pthread_mutex_t g_list_mutex;
bool g_list_ready = false;
ProcessNode* g_list_head = nullptr;

void init_list_mutex() {
    g_list_ready = InitRecursiveMutex(&g_list_mutex) == 0;
}

// Call with the list mutex held.
bool is_listed(const ProcessRecord* record) {
    for (const ProcessNode* node = g_list_head; node; node = node->next) {
        if (&node->record == record) return true;
    }
    return false;
}

void link_at_head(ProcessNode* node) {
    ScopedMutex lock(&g_list_mutex);
    node->next = g_list_head;
    if (g_list_head) g_list_head->previous = node;
    g_list_head = node;
}

void set_exit_code(ProcessRecord* record, int32_t code) {
    ScopedMutex lock(&g_list_mutex);
    if (is_listed(record)) record->exit_code = code;
}

int32_t wait_for_exit_code(pid_t pid) {
    int status = 0;
    if (wait_for_process(pid, &status) < 0) return 1;
    return exit_code_of(status);
}

// The waiter thread's body: reaps the program and records how it ended.
void* ProcessWaiter(void* argument) {
    auto* record = static_cast<ProcessRecord*>(argument);
    pthread_setname_np(pthread_self(), "process waiter");
    pid_t pid = 0;
    {
        ScopedMutex lock(&g_list_mutex);
        if (!is_listed(record)) return nullptr;
        pid = record->process_id;
    }
    if (pid < 1) return nullptr;
    set_exit_code(record, wait_for_exit_code(pid));
    return nullptr;
}

// The waiter's stack is kept small; the system's minimum wins where it is larger.
size_t waiter_stack() {
    return std::max(waiter_stack_size, static_cast<size_t>(PTHREAD_STACK_MIN));
}

// Starts a detached waiter thread with every signal blocked (a new thread takes the mask of the
// thread that creates it).
bool start_waiter(ProcessRecord* record) {
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) return false;
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_attr_setstacksize(&attributes, waiter_stack()); // on failure the default size stays
    sigset_t all;
    sigset_t saved;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &saved);
    pthread_t thread;
    const int result = pthread_create(&thread, &attributes, ProcessWaiter, record);
    pthread_sigmask(SIG_SETMASK, &saved, nullptr);
    pthread_attr_destroy(&attributes);
    return result == 0;
}

struct Pipe {
    int read_end = -1;
    int write_end = -1;
};

void close_if_open(int& descriptor) {
    if (descriptor >= 0) close(descriptor);
    descriptor = -1;
}

SystemCall open_pipe(Pipe& pipe) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return failed_call("pipe2");
    pipe.read_end = ends[0];
    pipe.write_end = ends[1];
    return {};
}

// A new descriptor for reading the pipe behind `descriptor` with an open file description of its
// own, so that the child can read it blocking while the source reader stays non-blocking. -1
// when the system offers no way to reopen it.
int reopen_for_blocking_read(int descriptor) {
    char path[32];
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", descriptor);
    // O_NONBLOCK keeps the open from waiting for a writer when the pipe has none left.
    const int reopened = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (reopened < 0) return -1;
    const int status_flags = fcntl(reopened, F_GETFL);
    if (status_flags == -1 || fcntl(reopened, F_SETFL, status_flags & ~O_NONBLOCK) == -1) {
        close(reopened);
        return -1;
    }
    return reopened;
}

// Everything one launch holds before the program runs. What has not been handed on to a process
// object by the end of the launch is given back by the destructor.
class Launch {
  public:
    Launch() = default;
    Launch(const Launch&) = delete;
    Launch& operator=(const Launch&) = delete;
    ~Launch();

    bool prepare(const char16_t* program, const char16_t* arguments, const char16_t* directory);
    SystemCall prepare_process_object(int32_t flags, ProcessRecord* input_source);
    ChildPlan plan();
    void close_child_ends();
    ProcessRecord* keep(pid_t pid, int32_t flags);

  private:
    SystemCall open_reader(Pipe& pipe, PipeReader** reader);
    SystemCall open_input();
    void connect_input(ProcessRecord* input_source);

    char* m_program = nullptr;
    char* m_arguments = nullptr;
    char* m_directory = nullptr;
    char* m_exec_path = nullptr;
    // The spare entries, the program, the arguments and the null.
    char* m_vector[child_vector_spare + 1 + max_launch_arguments + 1] = {};
    Pipe m_output;
    Pipe m_input;
    Pipe m_error;
    int m_connected_input = -1;
    int m_connected_input_source = -1;
    PipeReader* m_output_reader = nullptr;
    FILE* m_input_stream = nullptr;
    PipeReader* m_error_reader = nullptr;
    ProcessNode* m_node = nullptr;
};

Launch::~Launch() {
    FreeIfSet(m_program);
    FreeIfSet(m_arguments);
    FreeIfSet(m_directory);
    FreeIfSet(m_exec_path);
    close_child_ends();
    close_if_open(m_output.read_end);
    close_if_open(m_input.write_end);
    close_if_open(m_error.read_end);
    ClosePipeReader(m_output_reader);
    if (m_input_stream) std::fclose(m_input_stream);
    ClosePipeReader(m_error_reader);
    if (m_node) {
        m_node->~ProcessNode();
        FreeBlock(m_node);
    }
}

bool Launch::prepare(const char16_t* program, const char16_t* arguments,
                     const char16_t* directory) {
    m_program = StringToUTF8(program);
    if (!m_program) return false;
    m_exec_path = find_program(m_program, std::getenv("PATH"));
    if (!m_exec_path) return false;
    m_directory = StringToUTF8(directory);
    m_arguments = StringToUTF8(arguments);
    if (!m_directory || !m_arguments) return false;
    char** argv = m_vector + child_vector_spare;
    argv[0] = m_program;
    return SplitArguments(m_arguments, argv + 1, max_launch_arguments) >= 0;
}

SystemCall Launch::open_reader(Pipe& pipe, PipeReader** reader) {
    if (SystemCall opened = open_pipe(pipe); !opened.ok()) return opened;
    *reader = OpenPipeReader(pipe.read_end, "r");
    if (!*reader) return failed_call("fdopen");
    pipe.read_end = -1; // the reader's stream owns it now
    SetPipeByteMode(*reader, -1);
    return {};
}

SystemCall Launch::open_input() {
    if (SystemCall opened = open_pipe(m_input); !opened.ok()) return opened;
    m_input_stream = fdopen(m_input.write_end, "w");
    if (!m_input_stream) return failed_call("fdopen");
    m_input.write_end = -1; // the stream owns it now
    fwide(m_input_stream, -1);
    return {};
}

void Launch::connect_input(ProcessRecord* input_source) {
    if (!input_source) return;
    {
        // Anything but a listed process object is no input source.
        ScopedMutex lock(&g_list_mutex);
        if (!is_listed(input_source)) return;
    }
    if (!input_source->output_reader) return;
    const int source = fileno(input_source->output_reader->stream);
    m_connected_input = reopen_for_blocking_read(source);
    if (m_connected_input < 0) m_connected_input_source = source;
}

SystemCall Launch::prepare_process_object(int32_t flags, ProcessRecord* input_source) {
    if (!g_list_ready) return {"pthread_mutex_init", EAGAIN};
    SystemCall opened;
    if (flags & LaunchReadOutput) opened = open_reader(m_output, &m_output_reader);
    if (opened.ok() && (flags & LaunchWriteInput)) opened = open_input();
    if (opened.ok() && (flags & LaunchReadError)) opened = open_reader(m_error, &m_error_reader);
    if (!opened.ok()) return opened;
    if (flags & LaunchConnectInput) connect_input(input_source);
    void* memory = AllocateBlock(sizeof(ProcessNode));
    if (!memory) return {"malloc", ENOMEM};
    m_node = new (memory) ProcessNode{};
    return {};
}

ChildPlan Launch::plan() {
    ChildPlan plan;
    plan.exec_path = m_exec_path;
    plan.vector = m_vector;
    plan.directory = m_directory;
    plan.stdin_source = m_input.read_end;
    plan.stdout_source = m_output.write_end;
    plan.stderr_source = m_error.write_end;
    if (m_connected_input >= 0) plan.stdin_source = m_connected_input;
    if (m_connected_input_source >= 0) {
        // No descriptor of its own could be had: the child shares the source reader's.
        plan.stdin_source = m_connected_input_source;
        plan.make_stdin_blocking = true;
    }
    return plan;
}

void Launch::close_child_ends() {
    close_if_open(m_output.write_end);
    close_if_open(m_input.read_end);
    close_if_open(m_error.write_end);
    close_if_open(m_connected_input);
}

ProcessRecord* Launch::keep(pid_t pid, int32_t flags) {
    ProcessRecord& record = m_node->record;
    record.process_id = pid;
    record.exit_code = -1;
    record.flags = flags;
    record.output_reader = std::exchange(m_output_reader, nullptr);
    record.input_stream = std::exchange(m_input_stream, nullptr);
    record.error_reader = std::exchange(m_error_reader, nullptr);
    record.watched = true; // by the launching thread or the waiter, until watch() says otherwise
    link_at_head(std::exchange(m_node, nullptr));
    return &record;
}

// Without LaunchOpen or LaunchWait the program is started detached: the application's case.
bool is_detached(int32_t flags) {
    return (flags & (LaunchOpen | LaunchWait)) == 0;
}

void watch(ProcessRecord* record) {
    if (start_waiter(record)) return;
    ScopedMutex lock(&g_list_mutex);
    record->watched = false;
}

} // namespace

void InitProcesses() {
    RunOnce(&g_list_once, init_list_mutex);
}

namespace {

// The launch itself; a failed system call before the start is kept in `failure`, to be reported
// once everything the launch held is given back.
int64_t launch_process(const char16_t* program, const char16_t* arguments,
                       const char16_t* directory, int32_t flags, ProcessRecord* input_source,
                       SystemCall& failure) {
    Launch launch;
    if (!launch.prepare(program, arguments, directory)) return 0;
    const bool open = (flags & LaunchOpen) != 0;
    if (open) failure = launch.prepare_process_object(flags, input_source);
    if (!failure.ok()) return 0;
    if (is_detached(flags)) return start_detached(launch.plan()) > 0 ? 1 : 0;
    const pid_t pid = start_child(launch.plan());
    if (pid < 0) return 0;
    launch.close_child_ends();
    if (!open) {
        wait_for_process(pid, nullptr);
        return 1;
    }
    ProcessRecord* record = launch.keep(pid, flags);
    if (flags & LaunchWait) {
        set_exit_code(record, wait_for_exit_code(pid));
    } else {
        watch(record);
    }
    return static_cast<int64_t>(reinterpret_cast<intptr_t>(record));
}

} // namespace

int64_t LaunchProcessEx(const char16_t* program, const char16_t* arguments,
                        const char16_t* directory, int32_t flags, ProcessRecord* input_source) {
    InitProcesses();
    SystemCall failure;
    const int64_t launched =
        launch_process(program, arguments, directory, flags, input_source, failure);
    if (!failure.ok()) errno = failure.error;
    return launched;
}

int64_t LaunchProcessFlags(const char16_t* program, const char16_t* arguments,
                           const char16_t* directory, int32_t flags) {
    return LaunchProcessEx(program, arguments, directory, flags, nullptr);
}

int64_t LaunchProcess(const char16_t* program, const char16_t* arguments,
                      const char16_t* directory) {
    return LaunchProcessEx(program, arguments, directory, 0, nullptr);
}

int64_t LaunchProcessSimple(const char16_t* program) {
    return LaunchProcessEx(program, u"", u"", 0, nullptr);
}

ProcessRecord* launched_process(int64_t launch_result) {
    if (launch_result == 0 || launch_result == 1) return nullptr;
    return reinterpret_cast<ProcessRecord*>(static_cast<intptr_t>(launch_result));
}

int32_t process_exit_code(ProcessRecord* record) {
    if (!record || !g_list_ready) return -1;
    ScopedMutex lock(&g_list_mutex);
    if (!is_listed(record)) return -1;
    if (record->exit_code != -1 || record->watched) return record->exit_code;
    int status = 0;
    const pid_t result = waitpid(record->process_id, &status, WNOHANG);
    if (result > 0) record->exit_code = exit_code_of(status);
    if (result < 0 && errno != EINTR) record->exit_code = 1;
    return record->exit_code;
}

} // namespace rt
