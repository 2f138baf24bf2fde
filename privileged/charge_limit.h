#pragma once
// The service's state and what each request does to the batteries, apart from the bus.
//
// The limit in force is the stored one, or none (100) while charging fully once. Charging once
// ends when every limited battery reports Full (or a capacity of 100), or when the machine's
// external power is seen gone: at the next look (check_charging_once), which the service makes
// every 30 seconds while it lasts. Charging once is not stored: a restart of the machine or of the
// service ends it, and the stored limit holds again.

#include "privileged/outcome.h"
#include "privileged/system_paths.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class ChargeLimit {
  public:
    explicit ChargeLimit(SystemPaths paths);

    // The stored limit, 100 when none was chosen.
    std::uint32_t limit() const { return m_limit.value_or(100); }
    bool charging_once() const { return m_charging_once; }
    // The names of the batteries that can be limited, looked for afresh.
    std::vector<std::string> batteries() const;

    // Stores `percent` and applies it to every battery that can be limited; ends charging once.
    Outcome set_limit(std::uint32_t percent);
    // Lifts the limit until charging once ends. Does nothing when there is no limit.
    Outcome charge_fully_once();
    // Applies the limit in force again (nothing when none was ever chosen).
    Outcome reapply();
    // Ends charging once if it is over; true when it ended.
    bool check_charging_once();

  private:
    std::optional<std::uint32_t> limit_in_force() const;
    bool charged_or_unplugged() const;

    SystemPaths m_paths;
    std::optional<std::uint32_t> m_limit;
    bool m_charging_once = false;
};
