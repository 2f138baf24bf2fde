#pragma once
// Finding the program a launch names, before anything is started, so that a launch of a program
// that cannot run fails at once.

namespace rt {

// True for an existing file that is no directory, holds at least one byte and may be executed.
bool is_runnable_file(const char* path);

// The path to run for `program` (UTF-8) as a new malloc block that the caller frees, or null.
// A program text holding "/" names its file directly, relative to the current directory unless it
// starts with "/"; it is found when that file is runnable. Any other text is looked for in each
// element of `search_path` (the value of "PATH"; null when the variable is missing) in order,
// skipping empty elements and elements where the file is not runnable. An empty program is never
// found.
char* find_program(const char* program, const char* search_path);

} // namespace rt
