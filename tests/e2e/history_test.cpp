// The battery's history as the bundle keeps it: a reading a minute in the user's data folder,
// on disk every ten minutes and at the end, in a file only the user may read.

#include "history/history_store.h"
#include "tests/e2e/app_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

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

// A laptop with two batteries: the readings are of both together, the health of each alone.
TEST(History, KeepsEachOfTwoBatteriesHealthApart) {
    TempHome home;
    const fs::path folder = home.path() / "power_supply";
    const std::pair<const char*, const char*> batteries[] = {
        {"BAT0",
         "SERIAL_NUMBER=A1;CHARGE_NOW=2000000;CHARGE_FULL=4000000;CHARGE_FULL_DESIGN=5000000"},
        {"BAT1",
         "SERIAL_NUMBER=B2;CHARGE_NOW=1000000;CHARGE_FULL=3000000;CHARGE_FULL_DESIGN=3000000"},
    };
    for (const auto& [name, figures] : batteries) {
        fs::create_directories(folder / name);
        std::string uevent = "POWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_STATUS=Discharging\n";
        for (std::string_view rest = figures; !rest.empty();) {
            const std::size_t end = std::min(rest.find(';'), rest.size());
            uevent += "POWER_SUPPLY_" + std::string(rest.substr(0, end)) + "\n";
            rest.remove_prefix(std::min(end + 1, rest.size()));
        }
        std::ofstream(folder / name / "uevent") << uevent;
    }
    AppRun run = run_app(home, {.script = "advance 1000\nterminate\n",
                                .environment = {"ZERARAZI_BATTERY=" + folder.string()}});
    ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
    HistoryStore::Opened opened =
        HistoryStore::open(home.path() / ".local/share/zerarazi/history.sqlite3");
    ASSERT_TRUE(opened.store) << opened.said;
    const std::vector<HealthDay> health = opened.store->health();
    ASSERT_EQ(health.size(), 2u);
    EXPECT_EQ(std::tie(health[0].battery, health[0].full_mah, health[0].design_mah),
              std::make_tuple(std::string("A1"), 4000, 5000));
    EXPECT_EQ(std::tie(health[1].battery, health[1].full_mah, health[1].design_mah),
              std::make_tuple(std::string("B2"), 3000, 3000));
    const std::vector<Reading> readings = opened.store->readings(0, 1LL << 40);
    ASSERT_FALSE(readings.empty());
    EXPECT_EQ(readings.front().percent, 43); // 3000 of 7000 mAh
    EXPECT_EQ(readings.front().left_mah, 3000);
}

// Root passes every permission check, so as root the bundle runs as nobody, in a home of its own.
std::vector<std::string> as_a_user(const TempHome& home) {
    std::vector<std::string> command = {bundle_executable(built_bundle()).string()};
    if (geteuid() != 0) return command;
    constexpr const char* k_nobody = "65534";
    command.insert(command.begin(), {"/usr/bin/setpriv", std::string("--reuid=") + k_nobody,
                                     std::string("--regid=") + k_nobody, "--clear-groups"});
    BatteryRecording().write(home.battery_file());
    for (const auto& entry : fs::recursive_directory_iterator(home.path()))
        EXPECT_EQ(::chown(entry.path().c_str(), 65534, 65534), 0);
    EXPECT_EQ(::chown(home.path().c_str(), 65534, 65534), 0);
    return command;
}

void set_writable(const fs::path& folder, bool writable) {
    const fs::perms write = fs::perms::owner_write;
    for (const auto& entry : fs::directory_iterator(folder))
        fs::permissions(entry.path(), write,
                        writable ? fs::perm_options::add : fs::perm_options::remove);
    fs::permissions(folder, write, writable ? fs::perm_options::add : fs::perm_options::remove);
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
    EXPECT_EQ(times_in(folder / "history.sqlite3"), (std::vector<std::int64_t>{0, 60, 120}));
    EXPECT_FALSE(fs::exists(folder / "history.sqlite3.corrupt"));
}

// The export reads the history the bundle kept, as a person would ask for it afterwards.
TEST(History, IsExportedAsCsvToAFileOrStandardOutput) {
    TempHome home;
    const std::string executable = bundle_executable(built_bundle()).string();
    auto export_to = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), executable);
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
    AppRun to_file = export_to({"--export-history", "out.csv"});
    EXPECT_EQ(to_file.exit_status, 0) << to_file.errors;
    std::ifstream csv(home.path() / "out.csv");
    std::vector<std::string> rows;
    for (std::string row; std::getline(csv, row);)
        rows.push_back(row);
    ASSERT_EQ(rows.size(), 5u); // the header, three readings, the battery's day
    EXPECT_TRUE(rows[0].starts_with("kind,time (UTC),charge (%)")) << rows[0];
    EXPECT_TRUE(rows[1].starts_with("reading,")) << rows[1];
    EXPECT_TRUE(rows[4].starts_with("day,")) << rows[4];
    AppRun to_output = export_to({"--export-history", "-"});
    EXPECT_EQ(to_output.exit_status, 0) << to_output.errors;
    std::string joined;
    for (const std::string& row : rows)
        joined += row + "\n";
    std::string said;
    for (const std::string& line : to_output.lines)
        said += line + "\n";
    EXPECT_EQ(said, joined);
}

} // namespace
} // namespace e2e
