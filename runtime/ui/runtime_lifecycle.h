#pragma once
// The runtime's start-up and end as one procedure each: every library's start-up step in the
// order the libraries depend on one another, and the end steps of those that hold resources.

#include <span>

namespace rt {

// One library's start-up or end step; `run` gives 0 when the step failed.
struct RuntimeStep {
    const char* name;
    int (*run)();
};

// The steps StartRuntime and EndRuntime run, in their order.
std::span<const RuntimeStep> runtime_start_steps();
std::span<const RuntimeStep> runtime_end_steps();

// Keeps the program's argument count and vector, then starts every library of the runtime.
// Returns 1, or 0 when a step that the rest depends on failed (the later steps still run).
int StartRuntime(int argument_count, char** arguments);
// Ends the libraries that hold resources: open files are written out and closed, dates, images,
// the drawing target and the one-object records are let go.
void EndRuntime();
// Ends the process with `status` after telling the display; the program's last call.
void ExitProgram(int status);

int program_argument_count();
char** program_arguments();

} // namespace rt
