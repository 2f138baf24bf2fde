#pragma once
// The driver's virtual time in milliseconds: starts at 0 and moves only when told to, so that a
// script's `advance 10000` costs no real time. A run loop reads it through now_ms() and never
// sleeps.
//
// Only the main thread moves it; any thread may read it (platform_now() reads the display's
// clock from wherever it is called), so the count is atomic.

#include <atomic>
#include <cstdint>

class DriverClock {
  public:
    // Thread-safe.
    int64_t now_ms() const { return m_now_ms.load(std::memory_order_relaxed); }
    // Main thread only. Moves forward to `ms`; a time at or before now leaves the clock where it
    // is.
    void advance_to(int64_t ms) {
        if (ms > now_ms()) m_now_ms.store(ms, std::memory_order_relaxed);
    }

  private:
    std::atomic<int64_t> m_now_ms{0};
};
