#pragma once
// Runs GLib's default main context until `done` holds, for five seconds at most: how the desktop
// tests wait for the bus's answers and signals. Returns whether `done` held.

#include <glib.h>

template <typename Done>
bool run_main_context_until(Done done) {
    const gint64 deadline = g_get_monotonic_time() + 5 * G_USEC_PER_SEC;
    while (!done() && g_get_monotonic_time() < deadline)
        g_main_context_iteration(nullptr, FALSE);
    return done();
}
