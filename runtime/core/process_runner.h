#pragma once
// The process runner starts external programs. Without LaunchOpen a launch is fire and forget;
// with it the launch keeps a process object that reports the program's exit code and holds the
// pipes to its standard input, output and error.
//
// Process objects live in one process-wide list under a recursive mutex, from their launch until
// the application ends; nothing removes them. A process object kept without LaunchWait gets a
// detached waiter thread that reaps the program and sets the exit code when it ends, so no
// launch leaves a zombie behind. The waiter runs with every signal blocked: on its small stack
// it must never run a signal handler.
//
// Writing to a process object's input stream after the program ended raises SIGPIPE, as any
// write to a closed pipe does, unless the application ignores that signal.

#include "runtime/core/pipe_reader.h"

#include <atomic>
#include <cstdint>
#include <cstdio>

namespace rt {

// Launch flags; any combination. The pipe flags act only together with LaunchOpen.
inline constexpr int32_t LaunchWait = 1;          // return only after the program has ended
inline constexpr int32_t LaunchOpen = 4;          // keep and return a process object
inline constexpr int32_t LaunchReadOutput = 8;    // standard output into a pipe reader
inline constexpr int32_t LaunchWriteInput = 16;   // standard input from a stream the caller writes
inline constexpr int32_t LaunchReadError = 32;    // standard error into a pipe reader
inline constexpr int32_t LaunchConnectInput = 64; // standard input from another object's output

// The arguments text may hold at most this many words; a launch with more fails.
inline constexpr int64_t max_launch_arguments = 510;

struct ProcessRecord {
    int32_t process_id;
    // -1 while running, then the exit status, or 1 when a signal ended the program or waiting for
    // it failed. Written once, by the launching thread (LaunchWait) or the waiter thread; any
    // thread may read it.
    std::atomic<int32_t> exit_code;
    int32_t flags;             // the launch flags
    PipeReader* output_reader; // with LaunchReadOutput, else null
    FILE* input_stream;        // with LaunchWriteInput ("w", byte-oriented), else null
    PipeReader* error_reader;  // with LaunchReadError, else null
    // The launching thread or a waiter thread sets the exit code; false when no waiter thread
    // could be started (see process_exit_code). Guarded by the list mutex.
    bool watched;
};

// Creates the list mutex; part of the runtime start-up. Launching calls it too, so a launch
// before start-up still finds the mutex.
void InitProcesses();

// Starts `program` (a runtime string, looked for in "PATH" unless it holds "/") with the words
// of `arguments` (see SplitArguments; at most max_launch_arguments) in `directory` (empty: the
// current one). `input_source` is the process object whose output reader LaunchConnectInput
// connects to the program's standard input; its reader should not be read from afterwards.
// Returns the process object's address with LaunchOpen, else 1; 0 when nothing was started. A
// program that is found but fails to execute ends with exit code 1.
// With LaunchWait and a pipe flag, a program that fills the pipe before it ends waits forever:
// read the pipes from another thread, or launch without LaunchWait.
int64_t LaunchProcessEx(const char16_t* program, const char16_t* arguments,
                        const char16_t* directory, int32_t flags, ProcessRecord* input_source);
int64_t LaunchProcessFlags(const char16_t* program, const char16_t* arguments,
                           const char16_t* directory, int32_t flags);
int64_t LaunchProcess(const char16_t* program, const char16_t* arguments,
                      const char16_t* directory);
int64_t LaunchProcessSimple(const char16_t* program);

// The process object a launch returned, or null for the results 0 and 1.
ProcessRecord* launched_process(int64_t launch_result);

// The exit code, -1 while the program runs (and for anything but a listed process object). For
// an object whose waiter thread could not be started, this looks whether the program has ended
// (without waiting) and reaps it.
int32_t process_exit_code(ProcessRecord* record);

} // namespace rt
