#pragma once
// The platform's one clock. Everything that asks for the current time (dates, and later timers
// and run loops) reads platform_now(), so installing another clock moves all of them together.

// The latest time there is, 4001-01-01: the distant future of dates, which a run loop told to
// run for ever waits for. No clock may be moved past it.
inline constexpr double k_distant_future_time = 64092211200.0;

// A source of the current time, in seconds since 1970-01-01 00:00:00 UTC.
class PlatformClock {
  public:
    virtual ~PlatformClock() = default;
    virtual double now() const = 0;
};

// The installed clock's time; the system's real time when none is installed.
double platform_now();

// Installs `clock` (null: real time again) and returns the clock it replaces (null for real
// time). The caller keeps ownership and keeps the clock alive while it is installed.
// Thread-safe.
PlatformClock* set_platform_clock(PlatformClock* clock);

// A clock that stands still until told to move, installed for its own lifetime: for tests, and
// for benchmarks that let the refresh interval pass between steps without waiting for it.
class ManualClock final : public PlatformClock {
  public:
    explicit ManualClock(double start = 1.7e9)
        : m_now(start), m_previous(set_platform_clock(this)) {}
    ~ManualClock() override { set_platform_clock(m_previous); }
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    double now() const override { return m_now; }
    void advance(double seconds) { m_now += seconds; }

  private:
    double m_now;
    PlatformClock* m_previous;
};
