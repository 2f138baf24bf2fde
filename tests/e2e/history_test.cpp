// The battery's history as the bundle keeps it: a reading a minute in the user's data folder,
// on disk every ten minutes and at the end, in a file only the user may read.

#include "history/history_store.h"
#include "tests/e2e/app_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <unistd.h>

namespace e2e {
namespace {

using Times = std::vector<std::int64_t>;

// The readings' times after the first, which is when the run started.
Times times_in(const fs::path& file) {
    HistoryStore::Opened opened = HistoryStore::open(file);
    EXPECT_TRUE(opened.store) << opened.said;
    Times times;
    const std::vector<Reading> readings =
        opened.store ? opened.store->readings(0, 1LL << 40) : std::vector<Reading>{};
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
    EXPECT_EQ(times_in(file), (Times{0, 60, 120, 180, 240, 300, 360, 420, 480, 540}));
    EXPECT_EQ(file_mode(file), 0600u);

    const fs::path data = home.path() / "data";
    fs::create_directory(data);
    run = run_app(home, {.script = "battery set ExternalConnected true\n"
                                   "battery set IsCharging true\nadvance 10000\nterminate\n",
                         .environment = {"XDG_DATA_HOME=" + data.string()}});
    ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
    EXPECT_EQ(times_in(data / "zerarazi/history.sqlite3"), (Times{0, 10}));
}

TEST(History, WithoutAPlaceForItTheIndicatorSaysSoOnceAndRunsOn) {
    TempHome home;
    const std::string blocked = home.write(".local", "not a folder");
    AppRun run = run_app(home, {.script = "advance 700000\n"});
    ASSERT_TRUE(run.exited_cleanly() && run.last("status")) << run.transcript();
    EXPECT_EQ(run.errors, "zerarazi: no battery history: " + blocked + ": Not a directory\n");
}

// A laptop with two batteries: the readings are of both together, the health of each alone.
TEST(History, KeepsEachOfTwoBatteriesHealthApart) {
    TempHome home;
    for (const auto& [name, figures] :
         {std::pair{"BAT0", "SERIAL_NUMBER=A1\nCHARGE_NOW=2000000\nCHARGE_FULL=4000000\n"
                            "CHARGE_FULL_DESIGN=5000000"},
          {"BAT1", "SERIAL_NUMBER=B2\nCHARGE_NOW=1000000\nCHARGE_FULL=3000000\n"
                   "CHARGE_FULL_DESIGN=3000000"}}) {
        std::string uevent = "TYPE=Battery\nSTATUS=Discharging\n" + std::string(figures) + "\n";
        for (size_t at = 0; at < uevent.size(); at = uevent.find('\n', at) + 1)
            uevent.insert(at, "POWER_SUPPLY_");
        home.write(std::string("power_supply/") + name + "/uevent", uevent);
    }
    AppRun run = run_app(home, {.script = "advance 1000\nterminate\n",
                                .environment = {"ZERARAZI_BATTERY=" + home / "power_supply"}});
    ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
    HistoryStore::Opened opened =
        HistoryStore::open(home.path() / ".local/share/zerarazi/history.sqlite3");
    ASSERT_TRUE(opened.store) << opened.said;
    const std::vector<HealthDay> health = opened.store->health();
    ASSERT_EQ(health.size(), 2u);
    EXPECT_EQ(health, (std::vector<HealthDay>{{"A1", health[0].day, 4000, 5000, {}},
                                              {"B2", health[1].day, 3000, 3000, {}}}));
    const std::vector<Reading> readings = opened.store->readings(0, 1LL << 40);
    ASSERT_FALSE(readings.empty());
    EXPECT_EQ(std::tuple(readings.front().percent, readings.front().left_mah),
              std::tuple(43, 3000)); // 3000 of 7000 mAh
}

// Root passes every permission check, so as root the bundle runs as nobody, in a home of its own.
std::vector<std::string> as_a_user(const TempHome& home) {
    std::vector<std::string> command = {bundle_executable(built_bundle()).string()};
    if (geteuid() != 0) return command;
    command.insert(command.begin(),
                   {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    BatteryRecording().write(home.battery_file());
    for (const auto& entry : fs::recursive_directory_iterator(home.path()))
        EXPECT_EQ(::chown(entry.path().c_str(), 65534, 65534), 0);
    EXPECT_EQ(::chown(home.path().c_str(), 65534, 65534), 0);
    return command;
}

void set_writable(const fs::path& folder, bool writable) {
    const auto how = writable ? fs::perm_options::add : fs::perm_options::remove;
    for (const auto& entry : fs::directory_iterator(folder))
        fs::permissions(entry.path(), fs::perms::owner_write, how);
    fs::permissions(folder, fs::perms::owner_write, how);
}

// A home that turned read-only (a disk remounted so): the indicator runs on, says so once, and
// what was kept before is still there.
TEST(History, OnAReadOnlyHomeRunsOnAndLosesNothingKept) {
    TempHome home;
    const std::vector<std::string> command = as_a_user(home);
    const fs::path folder = home.path() / ".local/share/zerarazi";
    AppRun run = run_app(home, {.script = "advance 120000\nterminate\n", .command = command});
    ASSERT_TRUE(run.exited_cleanly()) << run.transcript();

    set_writable(folder, false);
    run = run_app(home, {.script = "advance 1300000\nterminate\n", .command = command});
    set_writable(folder, true);
    ASSERT_TRUE(run.exited_cleanly() && run.last("status")) << run.transcript();
    EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
    EXPECT_NE(run.errors.find("history"), std::string::npos) << run.errors;
    EXPECT_EQ(times_in(folder / "history.sqlite3"), (Times{0, 60, 120}));
    EXPECT_FALSE(fs::exists(folder / "history.sqlite3.corrupt"));
}

// The export reads the history the bundle kept, as a person would ask for it afterwards.
TEST(History, IsExportedAsCsvToAFileOrStandardOutput) {
    TempHome home;
    auto export_to = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), bundle_executable(built_bundle()).string());
        return run_app(home, {.command = arguments, .directory = home.path()});
    };
    AppRun missing = export_to({"--export-history", "out.csv"});
    EXPECT_EQ(missing.exit_status, 1);
    EXPECT_EQ(missing.errors, "zerarazi: no battery history yet at " + home.path().string() +
                                  "/.local/share/zerarazi/history.sqlite3\n");
    EXPECT_FALSE(fs::exists(home.path() / "out.csv"));
    AppRun usage = export_to({"--export-history"});
    EXPECT_EQ(usage.exit_status, 2);
    EXPECT_EQ(usage.errors,
              "zerarazi: usage: zerarazi --export-history FILE.csv (- for standard output)\n");

    ASSERT_TRUE(run_app(home, {.script = "advance 120000\nterminate\n"}).exited_cleanly());
    AppRun unwritable = export_to({"--export-history", "missing/out.csv"});
    EXPECT_EQ(unwritable.exit_status, 1);
    EXPECT_EQ(unwritable.errors,
              "zerarazi: cannot write missing/out.csv: No such file or directory\n");
    AppRun to_file = export_to({"--export-history", "out.csv"});
    EXPECT_EQ(to_file.exit_status, 0) << to_file.errors;
    const std::string csv = file_bytes(home / "out.csv");
    // The header, three readings, the battery's day.
    EXPECT_TRUE(csv.starts_with("kind,time (UTC),charge (%)")) << csv;
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 5) << csv;
    EXPECT_EQ(csv.find("\nreading,"), csv.find('\n')) << csv;
    EXPECT_NE(csv.find("\nday,"), std::string::npos) << csv;
    AppRun to_output = export_to({"--export-history", "-"});
    EXPECT_EQ(to_output.exit_status, 0) << to_output.errors;
    std::string said;
    for (const std::string& line : to_output.lines)
        said += line + "\n";
    EXPECT_EQ(said, csv);
}

} // namespace
} // namespace e2e
