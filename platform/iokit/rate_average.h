#pragma once
// The rate at which the battery's contents change, averaged over time, for its times to empty and
// to full. A battery reports the current or the power of the instant, which follows the load from
// one refresh to the next (a build, then an idle minute); a time left worked out from it swings as
// much, 8 hours at one refresh and 19 at the next. The average is exponential in time, so that
// readings weigh alike however they are spaced: a reading `dt` seconds after the one before moves
// the average 1 - 2^(-dt / k_half_life) of the way to it. After a long gap (the machine asleep)
// that is all the way.
//
// The average starts again from the reading when the charge turns the other way (the machine
// was plugged in or out), when the clock went back, and after a reading without a rate: nothing
// of the earlier rate tells of the present one then.

#include "platform/iokit/figure.h"

#include <cstdint>

enum class RateDirection : std::uint8_t { Unknown, Charging, Discharging };

class RateAverage {
  public:
    // Seconds. A lasting change of load shows half in two minutes and nine tenths in seven;
    // one minute's burst moves the time left by at most a third of what it would.
    static constexpr double k_half_life = 120.0;

    // Takes the rate seen at `now` (seconds of the platform clock), positive, in the battery's
    // own unit per hour, absent when the battery tells none; gives the average, rounded.
    Figure add(double now, Figure rate, RateDirection direction);

  private:
    bool m_started = false;
    double m_average = 0;
    double m_at = 0;
    RateDirection m_direction = RateDirection::Unknown;
};
