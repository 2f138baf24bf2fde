#include "platform/foundation/problem_report.h"

#include <cstdio>
#include <mutex>
#include <set>

namespace {

struct ProblemSink {
    std::mutex mutex;
    std::set<std::string> said;
    ProblemHandler handler;
};

// Never destroyed: problems may be reported while the program's statics are being destroyed.
ProblemSink& sink() {
    static auto* instance = new ProblemSink();
    return *instance;
}

} // namespace

void report_problem(const std::string& text) {
    ProblemSink& problems = sink();
    ProblemHandler handler;
    {
        std::lock_guard lock(problems.mutex);
        if (!problems.said.insert(text).second) return;
        std::fprintf(stderr, "zerarazi: %s\n", text.c_str());
        std::fflush(stderr);
        handler = problems.handler;
    }
    if (handler) handler(text);
}

ProblemHandler set_problem_handler(ProblemHandler handler) {
    std::lock_guard lock(sink().mutex);
    std::swap(sink().handler, handler);
    return handler;
}

void forget_reported_problems_for_tests() {
    std::lock_guard lock(sink().mutex);
    sink().said.clear();
}
