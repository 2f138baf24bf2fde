#include "history/history_recorder.h"

#include "tests/support/file_faults.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

namespace {

Reading at(std::int64_t time, ChargeState state = ChargeState::Discharging, bool mains = false) {
    return {time, 50, 2000, -800, state, mains};
}

class HistoryRecorderTest : public ::testing::Test {
  protected:
    HistoryRecorderTest() {
        HistoryStore::Opened opened = HistoryStore::open(m_folder / "history.sqlite3");
        EXPECT_TRUE(opened.store) << opened.said;
        m_recorder = std::make_unique<HistoryRecorder>(
            std::move(opened.store), [this](const std::string& text) { m_said.push_back(text); });
    }
    std::vector<std::int64_t> stored() const {
        std::vector<std::int64_t> times;
        for (const Reading& reading : m_recorder->store()->readings(0, 1LL << 40))
            times.push_back(reading.time);
        return times;
    }

    TemporaryFolder m_folder;
    std::vector<std::string> m_said;
    std::unique_ptr<HistoryRecorder> m_recorder;
};

// An hour of refreshes: a reading a minute, on disk six times.
TEST_F(HistoryRecorderTest, KeepsAReadingAMinuteAndWritesEveryTenMinutes) {
    constexpr std::int64_t start = 1'000'000;
    std::size_t writes = 0, rows = 0;
    for (std::int64_t t = start; t <= start + 3600; t += 10) {
        m_recorder->add(at(t));
        const std::size_t now_stored = stored().size();
        if (now_stored != rows) {
            ++writes;
            EXPECT_EQ((t - start) % HistoryRecorder::k_write_every, 0) << t - start;
            rows = now_stored;
        }
    }
    EXPECT_EQ(writes, 6u);
    EXPECT_EQ(rows, 61u);
    EXPECT_EQ(m_recorder->waiting(), 0u);
    m_recorder->write(start + 3700); // nothing gathered: nothing written
    EXPECT_EQ(stored().size(), 61u);
}

// Within the minute: the charge turning and the mains coming are kept; the same state is not.
// A clock set back keeps both spans, and a batch is written at once.
TEST_F(HistoryRecorderTest, KeepsEachChangeOfStateAndBothSpansOfAClockSetBack) {
    std::vector<std::int64_t> wanted;
    for (const Reading& reading :
         {at(100), at(110), at(120, ChargeState::Charging, true),
          at(130, ChargeState::Charging, true), at(140, ChargeState::Full, true),
          at(150, ChargeState::Full, false), at(160, ChargeState::Full)}) {
        if (m_recorder->wants(reading.time, reading.state, reading.on_mains))
            wanted.push_back(reading.time);
        m_recorder->add(reading);
    }
    EXPECT_EQ(wanted, (std::vector<std::int64_t>{100, 120, 140, 150}));
    EXPECT_EQ(m_recorder->waiting(), 4u);
    EXPECT_TRUE(m_recorder->wants(60, ChargeState::Full, false));
    m_recorder->add(at(60));
    EXPECT_EQ(stored(), (std::vector<std::int64_t>{60, 100, 120, 140, 150}));
}

TEST_F(HistoryRecorderTest, KeepsEachBatterysHealthWhenItChanges) {
    const HealthDay first{"S1", 20000, 4000, 5000, 10};
    HealthDay next_day = first;
    next_day.day += 1;
    HealthDay other{"S2", 20000, 3000, 3100, std::nullopt};
    // Two batteries in the machine from the third refresh on.
    using Days = std::vector<HealthDay>;
    for (const Days& health :
         {Days{first}, Days{first}, Days{next_day, other}, Days{next_day, other}})
        m_recorder->add(at(100), health);
    m_recorder->write(200);
    EXPECT_EQ(m_recorder->store()->health(), (std::vector<HealthDay>{first, next_day, other}));
}

// A full disk is said once, the readings wait, and go with the next write that fits.
TEST_F(HistoryRecorderTest, SaysAFailedWriteOnceAndWritesWhatWaitedLater) {
    m_recorder->add(at(0));
    m_recorder->write(0);
    {
        test_support::FileSizeLimit full(0);
        m_recorder->add(at(600));
        m_recorder->add(at(1200));
    }
    ASSERT_EQ(m_said.size(), 1u);
    EXPECT_EQ(m_said[0].rfind("the battery history cannot be written: ", 0), 0u) << m_said[0];
    EXPECT_EQ(m_recorder->waiting(), 2u);
    m_recorder->add(at(1800));
    EXPECT_EQ(stored(), (std::vector<std::int64_t>{0, 600, 1200, 1800}));
    EXPECT_EQ(m_said.size(), 1u);
}

TEST_F(HistoryRecorderTest, KeepsNothingWithoutAStoreAndLetsTheOldestGoWhenTooManyWait) {
    HistoryRecorder without(nullptr, [](const std::string&) { FAIL(); });
    without.add(at(0), std::vector<HealthDay>{{"S1", 1, 1, 1, 1}});
    without.write(0);
    EXPECT_FALSE(without.wants(0, ChargeState::Discharging, false));
    EXPECT_EQ(without.waiting(), 0u);

    m_recorder->add(at(0));
    m_recorder->write(0);
    {
        test_support::FileSizeLimit full(0);
        for (std::int64_t minute = 1; minute <= 2000; ++minute)
            m_recorder->add(at(minute * 60));
    }
    EXPECT_EQ(m_recorder->waiting(), HistoryRecorder::k_most_waiting);
    m_recorder->write(2001 * 60);
    const std::vector<std::int64_t> kept = stored();
    ASSERT_EQ(kept.size(), HistoryRecorder::k_most_waiting + 1);
    EXPECT_EQ(kept[1], (2001 - std::int64_t{HistoryRecorder::k_most_waiting}) * 60);
}

} // namespace
