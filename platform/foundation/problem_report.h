#pragma once
// Problems the user must hear of although no window shows them, such as a setting that could not
// be stored. Each distinct text is said once per process, however often it is reported: on
// standard error as "zerarazi: <text>", then to the handler a display installed, if any (the
// desktop display shows a notification; the others install none). Thread-safe.

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

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

// Says "zerarazi: " and the pieces as one line on standard error, every time, and shows it nowhere
// else: for what only the person at the terminal can act on, or what may recur. One writev(2),
// without lock or allocation, so it may run before anything is set up, in a signal handler,
// after fork and when memory has run out.
void say_problem(std::initializer_list<std::string_view> pieces);
// The same for a line that does not start with the program's name.
void say_line(std::initializer_list<std::string_view> pieces);
// A pointer to one of the two, for code that is handed the reporter (desktop_module.h).
using ProblemSayer = void (*)(std::initializer_list<std::string_view> pieces);
