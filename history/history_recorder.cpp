#include "history/history_recorder.h"

HistoryRecorder::HistoryRecorder(std::unique_ptr<HistoryStore> store, Say say)
    : m_store(std::move(store)), m_say(std::move(say)) {}

bool HistoryRecorder::wants(std::int64_t time, ChargeState state, bool on_mains) const {
    if (!m_store) return false;
    if (!m_last_kept) return true;
    const Reading& last = *m_last_kept;
    return time < last.time || time - last.time >= k_reading_every || state != last.state ||
           on_mains != last.on_mains;
}

void HistoryRecorder::add(const Reading& reading, std::span<const HealthDay> health) {
    if (!m_store) return;
    if (wants(reading.time, reading.state, reading.on_mains)) {
        if (m_readings.size() == k_most_waiting) m_readings.erase(m_readings.begin());
        m_readings.push_back(reading);
        m_last_kept = reading;
    }
    for (const HealthDay& day : health) {
        HealthDay& last = m_last_health[day.battery];
        if (last == day) continue;
        last = day;
        m_health.push_back(day);
    }
    if (!m_written_at) m_written_at = reading.time;
    const std::int64_t since = reading.time - *m_written_at;
    if (since >= k_write_every || since < 0) write(reading.time);
}

void HistoryRecorder::write(std::int64_t now) {
    m_written_at = now;
    if (!m_store || waiting() == 0) return;
    std::string problem;
    if (!m_store->write(m_readings, m_health, now, problem)) {
        if (!m_failing) m_say("the battery history cannot be written: " + problem);
        m_failing = true;
        return;
    }
    m_failing = false;
    m_readings.clear();
    m_health.clear();
}
