// One full battery refresh (registry, power source, display texts, title) from a power_supply
// folder and from a recording, beside the floor: reading the folder's uevent files and nothing
// else. The folder provider reuses a reading for a quarter of a second, so the folder refresh runs
// on a clock moved on by the refresh interval before each refresh, as the refresh timer would; the
// same refresh on a clock that stands still shows what the refresh costs besides the reading.

#include "battery/battery_properties.h"
#include "battery/battery_texts.h"
#include "battery/display_settings.h"
#include "battery/platform/battery_platform.h"
#include "battery/power_source_info.h"
#include "battery/status_title.h"
#include "platform/foundation/clock.h"
#include "platform/iokit/battery_provider.h"
#include "platform/objc/autorelease_pool.h"
#include "runtime/core/number_text.h"
#include "runtime/core/temp_area.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr const char* k_mains_uevent = "POWER_SUPPLY_NAME=AC\n"
                                       "POWER_SUPPLY_TYPE=Mains\n"
                                       "POWER_SUPPLY_ONLINE=0\n";

// A laptop battery as its driver reports it, discharging.
constexpr const char* k_battery_uevent = "POWER_SUPPLY_NAME=BAT0\n"
                                         "POWER_SUPPLY_TYPE=Battery\n"
                                         "POWER_SUPPLY_STATUS=Discharging\n"
                                         "POWER_SUPPLY_PRESENT=1\n"
                                         "POWER_SUPPLY_TECHNOLOGY=Li-poly\n"
                                         "POWER_SUPPLY_CYCLE_COUNT=412\n"
                                         "POWER_SUPPLY_VOLTAGE_MIN_DESIGN=11400000\n"
                                         "POWER_SUPPLY_VOLTAGE_NOW=12345000\n"
                                         "POWER_SUPPLY_CURRENT_NOW=1250000\n"
                                         "POWER_SUPPLY_CHARGE_FULL_DESIGN=5000000\n"
                                         "POWER_SUPPLY_CHARGE_FULL=4500000\n"
                                         "POWER_SUPPLY_CHARGE_NOW=3915000\n"
                                         "POWER_SUPPLY_CAPACITY=87\n"
                                         "POWER_SUPPLY_CAPACITY_LEVEL=Normal\n"
                                         "POWER_SUPPLY_TEMP=301\n"
                                         "POWER_SUPPLY_HEALTH=Good\n"
                                         "POWER_SUPPLY_MODEL_NAME=5B10W13975\n"
                                         "POWER_SUPPLY_MANUFACTURER=SMP\n"
                                         "POWER_SUPPLY_SERIAL_NUMBER=1234\n";

// A second battery of the same laptop (BAT1), less charged.
constexpr const char* k_second_battery_uevent = "POWER_SUPPLY_NAME=BAT1\n"
                                                "POWER_SUPPLY_TYPE=Battery\n"
                                                "POWER_SUPPLY_STATUS=Discharging\n"
                                                "POWER_SUPPLY_PRESENT=1\n"
                                                "POWER_SUPPLY_CYCLE_COUNT=95\n"
                                                "POWER_SUPPLY_VOLTAGE_MIN_DESIGN=11400000\n"
                                                "POWER_SUPPLY_VOLTAGE_NOW=11900000\n"
                                                "POWER_SUPPLY_CURRENT_NOW=0\n"
                                                "POWER_SUPPLY_CHARGE_FULL_DESIGN=4200000\n"
                                                "POWER_SUPPLY_CHARGE_FULL=4000000\n"
                                                "POWER_SUPPLY_CHARGE_NOW=3000000\n"
                                                "POWER_SUPPLY_CAPACITY=75\n"
                                                "POWER_SUPPLY_HEALTH=Good\n"
                                                "POWER_SUPPLY_MODEL_NAME=01AV425\n";

constexpr const char* k_recording = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
  <key>Registry</key>
  <dict>
    <key>CurrentCapacity</key><integer>87</integer>
    <key>MaxCapacity</key><integer>100</integer>
    <key>AppleRawCurrentCapacity</key><integer>3915</integer>
    <key>AppleRawMaxCapacity</key><integer>4500</integer>
    <key>DesignCapacity</key><integer>5000</integer>
    <key>CycleCount</key><integer>412</integer>
    <key>Temperature</key><integer>3033</integer>
    <key>Voltage</key><integer>12345</integer>
    <key>Amperage</key><integer>-1250</integer>
    <key>InstantAmperage</key><integer>-1250</integer>
    <key>TimeRemaining</key><integer>187</integer>
    <key>AvgTimeToEmpty</key><integer>187</integer>
    <key>AvgTimeToFull</key><integer>65535</integer>
    <key>IsCharging</key><false/>
    <key>ExternalConnected</key><false/>
    <key>FullyCharged</key><false/>
    <key>BatteryInstalled</key><true/>
    <key>DeviceName</key><string>5B10W13975</string>
    <key>Manufacturer</key><string>SMP</string>
    <key>Serial</key><string>1234</string>
    <key>BatteryFailureStatus</key><integer>0</integer>
    <key>PermanentFailureStatus</key><integer>0</integer>
  </dict>
  <key>PowerSource</key>
  <dict>
    <key>Name</key><string>InternalBattery-0</string>
    <key>Type</key><string>InternalBattery</string>
    <key>Transport Type</key><string>Internal</string>
    <key>Is Present</key><true/>
    <key>Power Source State</key><string>Battery Power</string>
    <key>Current Capacity</key><integer>87</integer>
    <key>Max Capacity</key><integer>100</integer>
    <key>Is Charging</key><false/>
    <key>Time to Empty</key><integer>187</integer>
    <key>Time to Full Charge</key><integer>-1</integer>
    <key>BatteryHealth</key><string>Good</string>
    <key>LPM Active</key><integer>0</integer>
  </dict>
</dict>
</plist>
)";

void write_file(const fs::path& path, const char* text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

// A private folder holding the power_supply tree and the recording, removed with the object.
class BenchSources {
  public:
    BenchSources() {
        std::string pattern = (fs::temp_directory_path() / "battery-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        folder = pattern;
        supplies = folder / "power_supply";
        two_batteries = folder / "power_supply_two";
        recording = folder / "battery.plist";
        write_file(supplies / "AC" / "uevent", k_mains_uevent);
        write_file(supplies / "BAT0" / "uevent", k_battery_uevent);
        write_file(two_batteries / "AC" / "uevent", k_mains_uevent);
        write_file(two_batteries / "BAT0" / "uevent", k_battery_uevent);
        write_file(two_batteries / "BAT1" / "uevent", k_second_battery_uevent);
        write_file(recording, k_recording);
        uevent_paths = {(supplies / "AC" / "uevent").string(),
                        (supplies / "BAT0" / "uevent").string()};
    }
    ~BenchSources() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    BenchSources(const BenchSources&) = delete;
    BenchSources& operator=(const BenchSources&) = delete;

    fs::path folder;
    fs::path supplies;
    fs::path two_batteries;
    fs::path recording;
    std::array<std::string, 2> uevent_paths;
};

bool start_runtime() {
    rt::InitStrings();
    rt::InitLocale();
    ::setenv("LC_ALL", "de_DE.UTF-8", 1);
    return true;
}

// Made once for the whole run, after the runtime's strings and with a fixed locale.
const BenchSources& sources() {
    [[maybe_unused]] static const bool runtime_started = start_runtime();
    static const BenchSources made;
    return made;
}

void use_source(const fs::path& path) {
    ::setenv("ZERARAZI_BATTERY", path.c_str(), 1);
    reselect_battery_provider();
    battery::set_battery_platform(nullptr);
}

battery::DisplaySettings title_settings() {
    battery::DisplaySettings settings;
    settings.ShowPercentage = 1;
    settings.ShowTimeLeft = 1;
    settings.ShowTemp = 1;
    return settings;
}

enum class ClockMode { Advancing, Standing };

void full_refresh(benchmark::State& state, ClockMode mode, const char16_t* percent = u"87%") {
    const battery::DisplaySettings settings = title_settings();
    ManualClock clock(1.0e9);
    for (auto _ : state) {
        if (mode == ClockMode::Advancing) clock.advance(10.0); // the refresh timer's interval
        AutoreleasePoolScope pool;
        battery::LoadBatteryProperties();
        battery::ReadPowerSourceInfo();
        battery::UpdateBatteryTexts();
        rt::String title = battery::ComposeStatusTitle(settings);
        benchmark::DoNotOptimize(title);
    }
    if (battery::battery_texts().PercentText != percent) state.SkipWithError("no battery read");
}

void BM_UeventFloor(benchmark::State& state) {
    const BenchSources& s = sources();
    char buffer[4096];
    for (auto _ : state) {
        for (const std::string& path : s.uevent_paths) {
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) std::abort();
            benchmark::DoNotOptimize(::read(fd, buffer, sizeof buffer));
            ::close(fd);
        }
    }
}
BENCHMARK(BM_UeventFloor);

void BM_RefreshFromFolder(benchmark::State& state) {
    use_source(sources().supplies);
    full_refresh(state, ClockMode::Advancing);
}
BENCHMARK(BM_RefreshFromFolder);

// BAT0 and BAT1 combined into one battery.
void BM_RefreshFromTwoBatteryFolder(benchmark::State& state) {
    use_source(sources().two_batteries);
    full_refresh(state, ClockMode::Advancing, u"81%");
}
BENCHMARK(BM_RefreshFromTwoBatteryFolder);

// The folder's reading is taken once and reused: the refresh without its file reading.
void BM_RefreshFromFolderReadingReused(benchmark::State& state) {
    use_source(sources().supplies);
    full_refresh(state, ClockMode::Standing);
}
BENCHMARK(BM_RefreshFromFolderReadingReused);

void BM_RefreshFromRecording(benchmark::State& state) {
    use_source(sources().recording);
    full_refresh(state, ClockMode::Standing);
}
BENCHMARK(BM_RefreshFromRecording);

// The steps after the two readings: the display texts and the title.
void BM_TextsAndTitle(benchmark::State& state) {
    use_source(sources().recording);
    battery::LoadBatteryProperties();
    const battery::DisplaySettings settings = title_settings();
    for (auto _ : state) {
        battery::UpdateBatteryTexts();
        rt::String title = battery::ComposeStatusTitle(settings);
        benchmark::DoNotOptimize(title);
    }
}
BENCHMARK(BM_TextsAndTitle);

} // namespace
