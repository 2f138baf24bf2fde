#include "platform/iokit/rate_average.h"

#include <cmath>

Figure RateAverage::add(double now, Figure rate, RateDirection direction) {
    if (!rate) {
        m_started = false;
        return std::nullopt;
    }
    if (!m_started || direction != m_direction || now < m_at) {
        m_average = static_cast<double>(*rate);
    } else {
        const double weight = 1 - std::exp2(-(now - m_at) / k_half_life);
        m_average += weight * (static_cast<double>(*rate) - m_average);
    }
    m_started = true;
    m_at = now;
    m_direction = direction;
    return std::llround(m_average);
}
