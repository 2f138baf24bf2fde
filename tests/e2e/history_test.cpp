// The battery's history as the bundle keeps it: a reading a minute in the user's data folder,
// on disk every ten minutes and at the end, in a file only the user may read.

#include "history/history_store.h"
#include "tests/e2e/app_run.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace e2e {
namespace {

// The readings' times after the first, which is when the run started.
std::vector<std::int64_t> times_in(const fs::path& file) {
    HistoryStore::Opened opened = HistoryStore::open(file);
    EXPECT_TRUE(opened.store) << opened.said;
    std::vector<std::int64_t> times;
    if (!opened.store) return times;
    const std::vector<Reading> readings = opened.store->readings(0, 1LL << 40);
    for (const Reading& reading : readings)
        times.push_back(reading.time - readings.front().time);
    return times;
}

TEST(History, KeepsAReadingAMinuteOnDiskEveryTenMinutesAndAtTheEnd) {
    TempHome home;
    const fs::path file = home.path() / ".local/share/zerarazi/history.sqlite3";
    // Before ten minutes nothing is written; the end (as at a session's end) writes what gathered.
    AppRun run = run_app(home, {.script = "advance 599999\nterminate\n"});
    ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
    std::vector<std::int64_t> expected;
    for (std::int64_t minute = 0; minute < 10; ++minute)
        expected.push_back(minute * 60);
    EXPECT_EQ(times_in(file), expected);
    struct stat status {};
    ASSERT_EQ(::stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);

    TempHome elsewhere;
    const fs::path data = elsewhere.path() / "data";
    fs::create_directory(data);
    run = run_app(elsewhere, {.script = "battery set ExternalConnected true\n"
                                        "battery set IsCharging true\nadvance 10000\nterminate\n",
                              .environment = {"XDG_DATA_HOME=" + data.string()}});
    ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
    EXPECT_EQ(times_in(data / "zerarazi/history.sqlite3"), (std::vector<std::int64_t>{0, 10}));
}

TEST(History, WithoutAPlaceForItTheIndicatorSaysSoOnceAndRunsOn) {
    TempHome home;
    const std::string blocked = (home.path() / ".local").string();
    std::ofstream(blocked) << "not a folder";
    AppRun run = run_app(home, {.script = "advance 700000\n"});
    ASSERT_TRUE(run.exited_cleanly() && run.last("status")) << run.transcript();
    EXPECT_EQ(run.errors, "zerarazi: no battery history: " + blocked + ": Not a directory\n");
}

} // namespace
} // namespace e2e
