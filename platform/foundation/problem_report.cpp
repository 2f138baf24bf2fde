#include "platform/foundation/problem_report.h"

#include <array>
#include <cassert>
#include <cerrno>
#include <mutex>
#include <set>
#include <sys/uio.h>
#include <unistd.h>

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

constexpr std::string_view k_line_start = "zerarazi: ";
constexpr std::size_t k_most_pieces = 8;

iovec part(std::string_view text) {
    return {const_cast<char*>(text.data()), text.size()};
}

// One call, so that the line is not interleaved with another thread's; a line is short enough
// for a pipe or a terminal to take whole.
void write_line(std::string_view start, std::initializer_list<std::string_view> pieces) {
    assert(pieces.size() <= k_most_pieces && "say_problem: too many pieces");
    std::array<iovec, k_most_pieces + 2> parts{};
    std::size_t count = 0;
    parts[count++] = part(start);
    for (std::string_view piece : pieces)
        if (count <= k_most_pieces) parts[count++] = part(piece);
    parts[count++] = part("\n");
    while (::writev(STDERR_FILENO, parts.data(), static_cast<int>(count)) < 0 && errno == EINTR) {
    }
}

} // namespace

void report_problem(const std::string& text) {
    ProblemSink& problems = sink();
    ProblemHandler handler;
    {
        std::lock_guard lock(problems.mutex);
        if (!problems.said.insert(text).second) return;
        write_line(k_line_start, {text});
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

void say_problem(std::initializer_list<std::string_view> pieces) {
    write_line(k_line_start, pieces);
}

void say_line(std::initializer_list<std::string_view> pieces) {
    write_line({}, pieces);
}
