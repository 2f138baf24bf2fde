#pragma once
// The program's --export-history FILE: the history kept in its place (history_place.h) written
// as CSV (history_csv.h) to FILE, or to standard output for "-", and nothing else done. A file
// is written whole or not at all: beside it first, then renamed over it.

#include <string>

// The process's exit status: 0 when written; 1, with the reason on standard error, when there
// is no history yet or it cannot be read or written.
int export_history(const std::string& file);
