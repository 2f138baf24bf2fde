#include "privileged/idle_exit.h"

#include <algorithm>
#include <utility>

IdleExit::IdleExit(double seconds, std::function<bool()> busy, std::function<void()> exit)
    : m_idle_us(static_cast<gint64>(seconds * G_USEC_PER_SEC)), m_busy(std::move(busy)),
      m_exit(std::move(exit)), m_last_call(g_get_monotonic_time()) {
    arm(m_idle_us);
}

IdleExit::~IdleExit() {
    if (m_source) g_source_remove(m_source);
}

void IdleExit::arm(gint64 after_us) {
    const auto after_ms = static_cast<guint>(std::max<gint64>(after_us / 1000, 1));
    m_source = g_timeout_add(after_ms, &IdleExit::fire, this);
}

gboolean IdleExit::fire(gpointer data) {
    auto* idle = static_cast<IdleExit*>(data);
    idle->m_source = 0;
    const gint64 idle_for = g_get_monotonic_time() - idle->m_last_call;
    if (idle->m_busy()) {
        idle->arm(idle->m_idle_us);
    } else if (idle_for < idle->m_idle_us) {
        idle->arm(idle->m_idle_us - idle_for);
    } else {
        idle->m_exit();
    }
    return G_SOURCE_REMOVE;
}
