#pragma once
// Asking polkit whether a caller on the bus may change the charge limit.
//
// The caller is named by its unique bus name (a "system-bus-name" subject), which the bus vouches
// for, and the authority may ask the person for a password (AllowUserInteraction), so an answer
// may take minutes: the checks run alongside the service's other calls. A caller may have only a
// few checks waiting at once, and all callers together a few dozen; beyond that a request is
// refused as Busy at once, so that a flood of calls neither piles up prompts nor memory.

#include "privileged/outcome.h"

#include <gio/gio.h>

#include <cstddef>
#include <functional>
#include <map>
#include <string>

constexpr const char* k_set_limit_action = "org.zerarazi.charge-limit.set";

struct AuthorityLimits {
    std::size_t per_caller = 4;
    std::size_t in_all = 64;
};

class Authority {
  public:
    using Answer = std::function<void(Outcome)>;

    Authority(GDBusConnection* connection, AuthorityLimits limits)
        : m_connection(connection), m_limits(limits) {}
    Authority(const Authority&) = delete;
    Authority& operator=(const Authority&) = delete;

    // Calls `answer` with Done, NotAuthorized or Busy; later, from the main loop, except Busy,
    // which is answered at once. The authority must outlive the checks it started.
    void check(const std::string& caller, Answer answer);

    // Checks still waiting for the authority.
    std::size_t waiting() const { return m_waiting_in_all; }

  private:
    struct Check;
    static void answered(GObject* source, GAsyncResult* result, gpointer data);
    void finish(Check* check, Outcome outcome);

    GDBusConnection* m_connection;
    AuthorityLimits m_limits;
    std::map<std::string, std::size_t> m_waiting;
    std::size_t m_waiting_in_all = 0;
};
