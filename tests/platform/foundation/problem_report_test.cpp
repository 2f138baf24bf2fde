#include "platform/foundation/problem_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

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
    set_problem_handler(previous);
    report_problem("third");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "zerarazi: first\nzerarazi: the display failed\nzerarazi: second\n"
              "zerarazi: third\n");
    EXPECT_EQ(shown, (std::vector<std::string>{"first", "the display failed", "second"}));
    forget_reported_problems_for_tests();
}

} // namespace
