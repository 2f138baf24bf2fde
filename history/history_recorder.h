#pragma once
// What the refresh hands the history, and when it reaches the disk. A refresh every ten seconds
// must cost a battery-powered machine almost nothing, so readings gather in memory and the store
// (history_store.h) is written at most once every k_write_every seconds, and at sleep and at
// quit, in one transaction; never when nothing new was gathered.
//
// Of the refreshes' readings one a minute is kept, and every one where the battery turns from
// discharging to charging or the mains come or go, so that a chart's edges fall where they did.
// A clock set back starts the minutes again from the new time: both spans are kept.
//
// Each battery's health is kept once a day, its last reading of the day.
//
// A store that cannot be had, or a write that fails, is said once (until a write succeeds
// again); the indicator goes on. A failed batch is tried again with the next, and at most
// k_most_waiting readings wait: the oldest go first.

#include "history/history_store.h"
#include "history/reading.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class HistoryRecorder {
  public:
    static constexpr std::int64_t k_write_every = 600;
    static constexpr std::int64_t k_reading_every = 60;
    static constexpr std::size_t k_most_waiting = 1440;

    using Say = std::function<void(const std::string&)>;

    // `store` may be null: then nothing is kept.
    HistoryRecorder(std::unique_ptr<HistoryStore> store, Say say);

    // Whether a reading of that time and state would be kept: the refresh asks before it reads
    // the rest of the battery, so that five refreshes of six cost next to nothing.
    bool wants(std::int64_t time, ChargeState state, bool on_mains) const;
    // At each refresh; the store is written when the last write is k_write_every old.
    // `health` holds a day of each battery in the machine.
    void add(const Reading& reading, std::span<const HealthDay> health = {});
    // At sleep and at quit: what has gathered, now.
    void write(std::int64_t now);

    std::size_t waiting() const { return m_readings.size() + m_health.size(); }
    // What has gathered since the last write, in the order added.
    std::span<const Reading> waiting_readings() const { return m_readings; }
    std::span<const HealthDay> waiting_health() const { return m_health; }
    // Null without a store.
    const HistoryStore* store() const { return m_store.get(); }

  private:
    std::unique_ptr<HistoryStore> m_store;
    Say m_say;
    std::vector<Reading> m_readings;
    std::vector<HealthDay> m_health;
    std::optional<Reading> m_last_kept;
    // Each battery's health as last kept.
    std::map<std::string, HealthDay> m_last_health;
    std::optional<std::int64_t> m_written_at;
    bool m_failing = false;
};
