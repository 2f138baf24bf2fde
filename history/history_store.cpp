#include "history/history_store.h"

#include "platform/foundation/kept_files.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string_view>
#include <system_error>
#include <unistd.h>

namespace {

constexpr int k_busy_wait_ms = 2000;

constexpr const char* k_schema = R"(
CREATE TABLE IF NOT EXISTS readings(
    time INTEGER PRIMARY KEY, percent INTEGER NOT NULL, left_mah INTEGER, current_ma INTEGER,
    state INTEGER NOT NULL, on_mains INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS hourly(
    time INTEGER PRIMARY KEY, percent INTEGER NOT NULL, left_mah INTEGER, current_ma INTEGER,
    state INTEGER NOT NULL, on_mains INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS health(
    battery TEXT NOT NULL, day INTEGER NOT NULL, full_mah INTEGER NOT NULL,
    design_mah INTEGER NOT NULL, cycles INTEGER, PRIMARY KEY(battery, day));
PRAGMA user_version = 1;
)";

// Readings older than the cut-off (?1) become the row of their hour, its last reading; then they
// go, and so do hourly rows older than ?2.
constexpr const char* k_prune[] = {
    "INSERT OR REPLACE INTO hourly"
    " SELECT time / 3600 * 3600, percent, left_mah, current_ma, state, on_mains FROM readings"
    " WHERE time IN (SELECT MAX(time) FROM readings WHERE time < ?1 GROUP BY time / 3600)",
    "DELETE FROM readings WHERE time < ?1",
    "DELETE FROM hourly WHERE time < ?2",
};

constexpr const char* k_readings =
    "SELECT time, percent, left_mah, current_ma, state, on_mains, 1 FROM hourly"
    " WHERE time >= ?1 AND time < ?2"
    " UNION ALL SELECT time, percent, left_mah, current_ma, state, on_mains, 0 FROM readings"
    " WHERE time >= ?1 AND time < ?2 ORDER BY time";

// The write-ahead log is folded into the file once it holds 64 pages, and then cut back to
// 256 kB: by default it grows to 4 MB and stays so, eight times a year's history.
constexpr const char* k_log_limits =
    "PRAGMA wal_autocheckpoint = 64; PRAGMA journal_size_limit = 262144";

} // namespace

class Statement {
  public:
    // `kept`: made to be used again for as long as the database is open.
    Statement(sqlite3* db, const char* sql, bool kept = false) {
        sqlite3_prepare_v3(db, sql, -1, kept ? SQLITE_PREPARE_PERSISTENT : 0, &m_statement,
                           nullptr);
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    explicit operator bool() const { return m_statement != nullptr; }
    sqlite3_stmt* get() const { return m_statement; }

    void bind(int index, std::int64_t value) { sqlite3_bind_int64(m_statement, index, value); }
    void bind(int index, const std::optional<std::int64_t>& value) {
        if (value)
            bind(index, *value);
        else
            sqlite3_bind_null(m_statement, index);
    }
    void bind(int index, const std::string& text) {
        sqlite3_bind_text(m_statement, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
    }
    // Runs a statement that gives no rows, ready to run again.
    bool run() {
        const bool done = sqlite3_step(m_statement) == SQLITE_DONE;
        sqlite3_reset(m_statement);
        return done;
    }
    bool next_row() { return sqlite3_step(m_statement) == SQLITE_ROW; }
    std::int64_t integer(int column) const { return sqlite3_column_int64(m_statement, column); }
    std::optional<std::int64_t> maybe(int column) const {
        if (sqlite3_column_type(m_statement, column) == SQLITE_NULL) return std::nullopt;
        return integer(column);
    }

  private:
    sqlite3_stmt* m_statement = nullptr;
};

// What every write runs, made once: a write then costs what it stores, not the parsing of its SQL.
struct HistoryStore::WriteStatements {
    explicit WriteStatements(sqlite3* db)
        : begin(db, "BEGIN IMMEDIATE", true), commit(db, "COMMIT", true),
          add_reading(db, "INSERT OR REPLACE INTO readings VALUES(?, ?, ?, ?, ?, ?)", true),
          add_health(db, "INSERT OR REPLACE INTO health VALUES(?, ?, ?, ?, ?)", true),
          prune{{db, k_prune[0], true}, {db, k_prune[1], true}, {db, k_prune[2], true}} {}

    explicit operator bool() const {
        return begin && commit && add_reading && add_health && prune[0] && prune[1] && prune[2];
    }

    Statement begin;
    Statement commit;
    Statement add_reading;
    Statement add_health;
    Statement prune[3];
};

namespace {

bool run_script(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Made with mode 0600 before SQLite opens it: SQLite gives its journal the database's mode.
bool make_private_file(const std::string& path, std::string& problem) {
    const int file = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (file < 0) {
        problem = path + ": " + std::generic_category().message(errno);
        return false;
    }
    ::close(file);
    return true;
}

bool is_sound(sqlite3* db) {
    Statement check(db, "PRAGMA quick_check");
    if (!check || !check.next_row()) return false;
    const auto* verdict = sqlite3_column_text(check.get(), 0);
    return verdict && std::string_view(reinterpret_cast<const char*>(verdict)) == "ok";
}

// Whether the file is empty or begins as an SQLite database does. What does not is set aside
// before SQLite opens it, which would take a journal beside it for its own and empty it.
bool begins_as_database(const std::string& path) {
    static constexpr std::string_view k_header{"SQLite format 3", 16};
    char start[16] = {};
    const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (file < 0) return true; // said by SQLite's own opening
    const ssize_t got = ::read(file, start, sizeof start);
    ::close(file);
    return got == 0 || std::string_view(start, got < 0 ? 0 : got) == k_header;
}

enum class Opening { Opened, Damaged, Failed };

Opening open_database(const std::string& path, sqlite3*& db, std::string& problem) {
    if (!make_private_file(path, problem)) return Opening::Failed;
    if (!begins_as_database(path)) return Opening::Damaged;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr) !=
        SQLITE_OK) {
        problem = path + ": " + (db ? sqlite3_errmsg(db) : "cannot be opened");
        return Opening::Failed;
    }
    sqlite3_busy_timeout(db, k_busy_wait_ms);
    if (!run_script(db, "PRAGMA journal_mode = WAL") || !is_sound(db)) {
        const int error = sqlite3_errcode(db);
        if (error == SQLITE_NOTADB || error == SQLITE_CORRUPT || error == SQLITE_OK ||
            error == SQLITE_ROW || error == SQLITE_DONE)
            return Opening::Damaged;
        problem = path + ": " + sqlite3_errmsg(db);
        return Opening::Failed;
    }
    if (!run_script(db, k_schema) || !run_script(db, k_log_limits)) {
        problem = path + ": " + sqlite3_errmsg(db);
        return Opening::Failed;
    }
    return Opening::Opened;
}

// The damaged file goes aside with its journal, which must never be played into a new file.
bool keep_damaged_aside(const std::string& path, std::string& said) {
    std::string aside, problem;
    if (!keep_file_aside(path, aside, problem)) {
        said =
            "the battery history " + path + " is damaged and could not be kept aside: " + problem;
        return false;
    }
    for (const char* part : {"-wal", "-shm"}) {
        const std::string from = path + part;
        if (aside.empty() || std::rename(from.c_str(), (aside + part).c_str()) != 0)
            ::unlink(from.c_str());
    }
    said = "kept the battery history " + path + " aside as " + aside +
           ": it could not be read; a new one is started";
    return true;
}

} // namespace

HistoryStore::Opened HistoryStore::open(const std::string& path) {
    std::string said;
    for (int attempt = 0; attempt < 2; ++attempt) {
        sqlite3* db = nullptr;
        std::string problem;
        const Opening opening = open_database(path, db, problem);
        if (opening == Opening::Opened)
            return {std::unique_ptr<HistoryStore>(new HistoryStore(db)), said};
        sqlite3_close(db);
        if (opening == Opening::Failed) return {nullptr, "no battery history: " + problem};
        if (attempt > 0) return {nullptr, "no battery history: " + path + " cannot be made anew"};
        if (!keep_damaged_aside(path, said)) break;
    }
    return {nullptr, said};
}

HistoryStore::HistoryStore(sqlite3* db)
    : m_db(db), m_write(std::make_unique<WriteStatements>(db)) {}

HistoryStore::~HistoryStore() {
    m_write.reset();
    sqlite3_close(m_db);
}

bool HistoryStore::write(std::span<const Reading> readings, std::span<const HealthDay> health,
                         std::int64_t now, std::string& problem) {
    Statement& add_reading = m_write->add_reading;
    Statement& add_health = m_write->add_health;
    bool written = *m_write && m_write->begin.run();
    for (const Reading& reading : readings) {
        if (!written) break;
        add_reading.bind(1, reading.time);
        add_reading.bind(2, std::int64_t{reading.percent});
        add_reading.bind(3, reading.left_mah);
        add_reading.bind(4, reading.current_ma);
        add_reading.bind(5, static_cast<std::int64_t>(reading.state));
        add_reading.bind(6, std::int64_t{reading.on_mains});
        written = add_reading.run();
    }
    for (const HealthDay& day : health) {
        if (!written) break;
        add_health.bind(1, day.battery);
        add_health.bind(2, day.day);
        add_health.bind(3, day.full_mah);
        add_health.bind(4, day.design_mah);
        add_health.bind(5, day.cycles);
        written = add_health.run();
    }
    for (Statement& prune : m_write->prune) {
        if (!written) break;
        prune.bind(1, now - k_every_reading_for);
        prune.bind(2, now - k_hourly_for);
        written = prune.run();
    }
    if (written && m_write->commit.run()) return true;
    problem = sqlite3_errmsg(m_db);
    run_script(m_db, "ROLLBACK");
    return false;
}

std::vector<Reading> HistoryStore::readings(std::int64_t from, std::int64_t to) const {
    std::vector<Reading> found;
    Statement query(m_db, k_readings);
    query.bind(1, from);
    query.bind(2, to);
    while (query && query.next_row()) {
        const std::int64_t state = query.integer(4);
        found.push_back({.time = query.integer(0),
                         .percent = static_cast<int>(query.integer(1)),
                         .left_mah = query.maybe(2),
                         .current_ma = query.maybe(3),
                         .state = state >= 0 && state <= 3 ? static_cast<ChargeState>(state)
                                                           : ChargeState::Idle,
                         .on_mains = query.integer(5) != 0,
                         .hourly = query.integer(6) != 0});
    }
    return found;
}

std::vector<HealthDay> HistoryStore::health() const {
    std::vector<HealthDay> found;
    Statement query(m_db, "SELECT battery, day, full_mah, design_mah, cycles FROM health"
                          " ORDER BY battery, day");
    while (query && query.next_row()) {
        const auto* battery = sqlite3_column_text(query.get(), 0);
        found.push_back({.battery = battery ? reinterpret_cast<const char*>(battery) : "",
                         .day = query.integer(1),
                         .full_mah = query.integer(2),
                         .design_mah = query.integer(3),
                         .cycles = query.maybe(4)});
    }
    return found;
}
