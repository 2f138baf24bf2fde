#pragma once
// What the system does for a program around its main function: it picks the display the program
// shows itself on and installs it as the platform's clock and waiter, puts the bundle's helper
// programs on PATH, runs the program, and ends the process with the program's status.

// Runs `program` with the arguments; returns its status. A display that cannot be had (a
// ZERARAZI_DISPLAY naming none, or a desktop this build lacks) or a malformed setting
// (start_environment.h) is reported on standard error and gives status 2 without running the
// program.
int run_program(int argument_count, char** arguments, int (*program)(int, char**));
