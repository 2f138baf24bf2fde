#include "runtime/core/problem_report.h"

#include "platform/foundation/problem_report.h"

#include <cerrno>
#include <system_error>

namespace rt {

void ReportProblem(TextArg text) {
    report_problem(String(text.get()).utf8());
}

String SystemErrorText() {
    const std::string reason = std::generic_category().message(errno);
    return String::from_utf8(reason);
}

} // namespace rt
