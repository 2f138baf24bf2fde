#pragma once
// Ending the service once no call has come for a while, unless it is busy (charging once, or
// waiting for the authority): D-Bus activation starts it again at the next call.

#include <glib.h>

#include <functional>

class IdleExit {
  public:
    IdleExit(double seconds, std::function<bool()> busy, std::function<void()> exit);
    IdleExit(const IdleExit&) = delete;
    IdleExit& operator=(const IdleExit&) = delete;
    ~IdleExit();

    // A call came: the wait starts again.
    void touch() { m_last_call = g_get_monotonic_time(); }

  private:
    static gboolean fire(gpointer data);
    void arm(gint64 after_us);

    gint64 m_idle_us;
    std::function<bool()> m_busy;
    std::function<void()> m_exit;
    gint64 m_last_call;
    guint m_source = 0;
};
