#include "history/history_store.h"

#include "tests/support/file_bytes.h"
#include "tests/support/file_faults.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t k_day = 86400;
constexpr std::int64_t k_now = 1'800'000'000; // a whole hour

Reading reading(std::int64_t time, int percent, ChargeState state = ChargeState::Discharging) {
    return {time,         percent,
            percent * 50, state == ChargeState::Charging ? 1500 : -900,
            state,        state != ChargeState::Discharging};
}

std::vector<std::int64_t> times_of(const std::vector<Reading>& readings) {
    std::vector<std::int64_t> times;
    for (const Reading& reading : readings)
        times.push_back(reading.time);
    return times;
}

class HistoryStoreTest : public ::testing::Test {
  protected:
    HistoryStore::Opened open() { return HistoryStore::open(m_path); }
    bool write(HistoryStore& store, std::vector<Reading> readings,
               std::vector<HealthDay> health = {}, std::int64_t now = k_now) {
        std::string problem;
        const bool written = store.write(readings, health, now, problem);
        EXPECT_EQ(problem.empty(), written) << problem;
        return written;
    }

    TemporaryFolder m_folder;
    std::string m_path = m_folder / "history.sqlite3";
};

TEST_F(HistoryStoreTest, KeepsWhatIsWrittenInAPrivateFileAcrossOpenings) {
    Reading unknown = reading(k_now - 20, 51);
    unknown.left_mah = unknown.current_ma = std::nullopt;
    {
        HistoryStore::Opened opened = open();
        ASSERT_TRUE(opened.store) << opened.said;
        EXPECT_EQ(opened.said, "");
        EXPECT_TRUE(write(*opened.store,
                          {reading(k_now - 10, 50), unknown, reading(k_now, 60, ChargeState::Full)},
                          {{"S1", 100, 4000, 5000, 12},
                           {"S1", 101, 3990, 5000, std::nullopt},
                           {"A0", 101, 2000, 2100, 3}}));
        // Again at a time already there, and for a battery's day already there: the later wins.
        EXPECT_TRUE(write(*opened.store, {reading(k_now - 10, 49, ChargeState::Charging)},
                          {{"S1", 101, 3980, 5000, 13}}));
    }
    EXPECT_EQ(file_mode(m_path), 0600u);

    HistoryStore::Opened opened = open();
    ASSERT_TRUE(opened.store) << opened.said;
    EXPECT_EQ(opened.store->readings(k_now - 20, k_now + 1),
              (std::vector<Reading>{unknown, reading(k_now - 10, 49, ChargeState::Charging),
                                    reading(k_now, 60, ChargeState::Full)}));
    EXPECT_EQ(times_of(opened.store->readings(k_now - 10, k_now)),
              (std::vector<std::int64_t>{k_now - 10})); // from included, to not
    EXPECT_EQ(opened.store->health(), (std::vector<HealthDay>{{"A0", 101, 2000, 2100, 3},
                                                              {"S1", 100, 4000, 5000, 12},
                                                              {"S1", 101, 3980, 5000, 13}}));
}

// Older than ten days, each hour keeps its last reading; older than a year, nothing but the
// health rows.
TEST_F(HistoryStoreTest, PrunesOldReadingsToTheLastOfTheirHourAndHourlyRowsAfterAYear) {
    HistoryStore::Opened opened = open();
    ASSERT_TRUE(opened.store) << opened.said;
    const std::int64_t old_hour = k_now - 11 * k_day;
    const std::int64_t kept = k_now - HistoryStore::k_every_reading_for;
    EXPECT_TRUE(write(*opened.store,
                      {reading(k_now - 400 * k_day, 90), reading(old_hour + 10, 80),
                       reading(old_hour + 3599, 79), reading(old_hour + 3600, 78),
                       reading(kept - 1, 70), reading(kept, 69), reading(k_now, 40)},
                      {{"S1", 1, 5000, 5000, 0}}));
    const std::vector<Reading> left = opened.store->readings(0, k_now + 1);
    EXPECT_EQ(times_of(left), (std::vector<std::int64_t>{old_hour, old_hour + 3600,
                                                         (kept - 1) / 3600 * 3600, kept, k_now}));
    ASSERT_EQ(left.size(), 5u);
    EXPECT_EQ(left[0].percent, 79); // the hour's last reading
    EXPECT_EQ(left[2].percent, 70);
    for (const Reading& row : left)
        EXPECT_EQ(row.hourly, row.time < kept) << row.time;
    EXPECT_EQ(opened.store->health().size(), 1u);
}

// Junk, or a file that begins as a database and is not one: kept aside with its journal.
TEST_F(HistoryStoreTest, KeepsADamagedFileAsideWithItsJournalAndStartsAnew) {
    for (const std::string& damaged :
         {std::string(5000, 'x'), std::string("SQLite format 3\0", 16) + std::string(5000, 'y')}) {
        SCOPED_TRACE(damaged.substr(0, 20));
        m_folder.write("history.sqlite3", damaged);
        m_folder.write("history.sqlite3-wal", "stale journal");
        HistoryStore::Opened opened = open();
        ASSERT_TRUE(opened.store) << opened.said;
        EXPECT_EQ(opened.said, "kept the battery history " + m_path + " aside as " + m_path +
                                   ".corrupt: it could not be read; a new one is started");
        EXPECT_EQ(file_bytes(m_path + ".corrupt"), damaged);
        EXPECT_TRUE(write(*opened.store, {reading(k_now, 50)}));
        EXPECT_EQ(opened.store->readings(0, k_now + 1).size(), 1u);
        opened.store.reset();
        if (damaged[0] == 'x') {
            EXPECT_EQ(file_bytes(m_path + ".corrupt-wal"), "stale journal");
        }
        std::filesystem::remove(m_path + ".corrupt");
        std::filesystem::remove(m_path + ".corrupt-wal");
    }
}

TEST_F(HistoryStoreTest, SaysWhyThereIsNoStoreWhereTheFileCannotBeMade) {
    m_path = m_folder / "missing/history.sqlite3";
    HistoryStore::Opened opened = open();
    EXPECT_FALSE(opened.store);
    EXPECT_EQ(opened.said, "no battery history: " + m_path + ": No such file or directory");
}

// A batch that does not fit on the disk leaves the file as it was, and the next one that fits
// is written.
TEST_F(HistoryStoreTest, WritesABatchWholeOrNotAtAll) {
    HistoryStore::Opened opened = open();
    ASSERT_TRUE(opened.store) << opened.said;
    EXPECT_TRUE(write(*opened.store, {reading(k_now - 100, 55)}));
    std::vector<Reading> many;
    for (int i = 0; i < 20000; ++i)
        many.push_back(reading(k_now - 50000 + i, i % 100));
    {
        test_support::FileSizeLimit full(std::filesystem::file_size(m_path) + 64 * 1024);
        std::string problem;
        EXPECT_FALSE(opened.store->write(many, {}, k_now, problem));
        EXPECT_NE(problem, "");
    }
    EXPECT_EQ(times_of(opened.store->readings(0, k_now + 1)),
              (std::vector<std::int64_t>{k_now - 100}));
    EXPECT_TRUE(write(*opened.store, {reading(k_now, 50)}));
    EXPECT_EQ(opened.store->readings(0, k_now + 1).size(), 2u);
}

} // namespace
