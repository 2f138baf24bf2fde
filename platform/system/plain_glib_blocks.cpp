#include "platform/system/plain_glib_blocks.h"

#include <glib.h>

#include <cstdlib>
#include <unistd.h>

namespace {

constexpr const char* k_slice_setting = "G_SLICE";

bool glib_slices_are_malloc() {
    return glib_check_version(2, 76, 0) == nullptr;
}

} // namespace

void restart_with_plain_glib_blocks(char** arguments) {
    if (glib_slices_are_malloc() || std::getenv(k_slice_setting)) return;
    ::setenv(k_slice_setting, "always-malloc", 1);
    ::execv("/proc/self/exe", arguments);
    ::unsetenv(k_slice_setting);
}
