#include "platform/foundation/problem_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// What only the terminal hears (say_problem, say_line) is said whole every time, and never shown
// by the handler.
TEST(ProblemReport, SaysEachTextOnceOnStandardErrorAndToTheDisplaysHandler) {
    forget_reported_problems_for_tests();
    std::vector<std::string> shown;
    ProblemHandler previous = set_problem_handler([&](const std::string& text) {
        shown.push_back(text);
        // A handler that fails may report that too, without a deadlock.
        if (text == "first") report_problem("the display failed");
    });
    testing::internal::CaptureStderr();
    for (const char* text : {"first", "second", "first", "second"})
        report_problem(text);
    for (int time = 0; time < 2; ++time)
        say_problem({"HOME=", "x", " is not an absolute path"});
    say_line({"1", "2", "3", "4", "", "6", "7", "8"});
    set_problem_handler(previous);
    report_problem("third");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "zerarazi: first\nzerarazi: the display failed\nzerarazi: second\n"
              "zerarazi: HOME=x is not an absolute path\nzerarazi: HOME=x is not an absolute "
              "path\n1234678\nzerarazi: third\n");
    EXPECT_EQ(shown, (std::vector<std::string>{"first", "the display failed", "second"}));
    forget_reported_problems_for_tests();
}

} // namespace
