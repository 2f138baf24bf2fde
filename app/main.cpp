// The process start routine: the platform's start-up around the indicator's main program, or
// the history's export when asked for.

#include "app/indicator.h"
#include "history/history_export.h"
#include "platform/foundation/problem_report.h"
#include "platform/startup/program_start.h"

#include <string_view>

int main(int argc, char** argv) {
    if (argc > 1 && std::string_view(argv[1]) == "--export-history") {
        if (argc == 3) return export_history(argv[2]);
        say_problem({"usage: zerarazi --export-history FILE.csv (- for standard output)"});
        return 2;
    }
    return run_program(argc, argv, app::IndicatorMain);
}
