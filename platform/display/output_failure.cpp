#include "platform/display/output_failure.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

void OutputFailure::note(int error) {
    if (happened()) return;
    m_error = error != 0 ? error : EIO;
    std::fprintf(stderr, "zerarazi: cannot write to standard output: %s; stopping\n",
                 std::strerror(m_error));
}
