#pragma once
// Problems the user must hear of although no window shows them, such as a setting that could not
// be stored. Each distinct text is said once per process, however often it is reported: on
// standard error as "zerarazi: <text>", then to the handler a display installed, if any (the
// desktop display shows a notification; the others install none). Thread-safe.

#include <functional>
#include <string>

using ProblemHandler = std::function<void(const std::string& text)>;

// Says `text` (one line, no line feed at its end) unless it was said before.
void report_problem(const std::string& text);
// Installs the handler that also shows each new problem; an empty one removes it. The handler
// runs on the reporting thread, outside any lock, and may report problems itself; a report
// that took it may still run it after it was replaced, so it holds what it uses. The previous
// handler is returned.
ProblemHandler set_problem_handler(ProblemHandler handler);
// Forgets which texts were said, so that each test sees its own problems said.
void forget_reported_problems_for_tests();
