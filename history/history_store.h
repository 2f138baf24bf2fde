#pragma once
// The battery's history on disk: one SQLite database (WAL journal, mode 0600) with three tables.
//
//   readings  every reading of the last k_every_reading_for seconds, one per time
//   hourly    older than that, the last reading of each hour, for k_hourly_for seconds
//   health    each battery's capacities once a day, for ever
//
// A write is one transaction, and pruning is part of it: readings that have grown too old become
// their hour's row, and hourly rows older than a year go. So the file never holds a half-written
// batch, and a crash loses only what had not been written yet.
//
// A file that is not a database, or fails SQLite's quick check, is kept aside as
// "history.sqlite3.corrupt" (kept_files.h), with its journal, and a new one is made.

#include "history/reading.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

struct sqlite3;

class HistoryStore {
  public:
    static constexpr std::int64_t k_every_reading_for = 10 * 86400;
    static constexpr std::int64_t k_hourly_for = 365 * 86400;

    struct Opened {
        // None when no store could be had; `said` tells why.
        std::unique_ptr<HistoryStore> store;
        // What a person should hear of: a damaged file kept aside, or why there is no store.
        std::string said;
    };
    // Opens the file at `path`, or makes it; its folder must be there.
    static Opened open(const std::string& path);

    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // Adds the readings (one at a time already stored replaces it) and the health rows (one per
    // battery and day: the later replaces the earlier), then prunes against `now`. All of it or
    // nothing: false, with `problem` set, when the disk is full, read-only or the file went bad.
    bool write(std::span<const Reading> readings, std::span<const HealthDay> health,
               std::int64_t now, std::string& problem);

    // The readings and hourly rows with from <= time < to, by time.
    std::vector<Reading> readings(std::int64_t from, std::int64_t to) const;
    // Every health row, by battery and day.
    std::vector<HealthDay> health() const;

  private:
    struct WriteStatements;

    explicit HistoryStore(sqlite3* db);

    sqlite3* m_db;
    std::unique_ptr<WriteStatements> m_write;
};
