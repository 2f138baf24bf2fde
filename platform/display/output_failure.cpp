#include "platform/display/output_failure.h"

#include "platform/foundation/problem_report.h"

#include <cerrno>
#include <cstring>

void OutputFailure::note(int error) {
    if (happened()) return;
    m_error = error != 0 ? error : EIO;
    say_problem({"cannot write to standard output: ", std::strerror(m_error), "; stopping"});
}
