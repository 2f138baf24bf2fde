#pragma once
// The driver's virtual time in milliseconds: starts at 0 and moves only when told to, so that a
// script's `advance 10000` costs no real time. A run loop reads it through now_ms() and never
// sleeps.

#include <cstdint>

class DriverClock {
  public:
    int64_t now_ms() const { return m_now_ms; }
    // Moves forward to `ms`; a time at or before now leaves the clock where it is.
    void advance_to(int64_t ms) {
        if (ms > m_now_ms) m_now_ms = ms;
    }

  private:
    int64_t m_now_ms = 0;
};
