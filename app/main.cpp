// The process start routine: the platform's start-up around the indicator's main program.

#include "app/indicator.h"
#include "platform/startup/program_start.h"

int main(int argc, char** argv) {
    return run_program(argc, argv, app::IndicatorMain);
}
