// What one battery refresh asks of the platform, from a folder laid out like
// /sys/class/power_supply (a laptop: mains, two USB-C ports and a battery) and from a recording,
// beside the floor: reading the same supplies' uevent files and nothing more.

#include "platform/foundation/clock.h"
#include "platform/iokit/attribute_file.h"
#include "platform/iokit/battery_provider.h"
#include "platform/iokit/io_kit.h"
#include "platform/iokit/power_sources.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Supply {
    const char* name;
    const char* uevent;
};

const Supply k_laptop[] = {
    {"AC", "POWER_SUPPLY_NAME=AC\nPOWER_SUPPLY_TYPE=Mains\nPOWER_SUPPLY_ONLINE=0\n"},
    {"BAT0", "POWER_SUPPLY_NAME=BAT0\n"
             "POWER_SUPPLY_TYPE=Battery\n"
             "POWER_SUPPLY_STATUS=Discharging\n"
             "POWER_SUPPLY_PRESENT=1\n"
             "POWER_SUPPLY_TECHNOLOGY=Li-poly\n"
             "POWER_SUPPLY_CYCLE_COUNT=187\n"
             "POWER_SUPPLY_VOLTAGE_MIN_DESIGN=15440000\n"
             "POWER_SUPPLY_VOLTAGE_NOW=16623000\n"
             "POWER_SUPPLY_POWER_NOW=7938000\n"
             "POWER_SUPPLY_ENERGY_FULL_DESIGN=57000000\n"
             "POWER_SUPPLY_ENERGY_FULL=52110000\n"
             "POWER_SUPPLY_ENERGY_NOW=37520000\n"
             "POWER_SUPPLY_CAPACITY=72\n"
             "POWER_SUPPLY_CAPACITY_LEVEL=Normal\n"
             "POWER_SUPPLY_MODEL_NAME=5B10W13930\n"
             "POWER_SUPPLY_MANUFACTURER=SMP\n"
             "POWER_SUPPLY_SERIAL_NUMBER= 1234\n"},
    {"ucsi-source-psy-USBC000:001", "POWER_SUPPLY_NAME=ucsi-source-psy-USBC000:001\n"
                                    "POWER_SUPPLY_TYPE=USB\nPOWER_SUPPLY_ONLINE=0\n"
                                    "POWER_SUPPLY_USB_TYPE=[C] PD PD_PPS\n"
                                    "POWER_SUPPLY_SCOPE=System\n"},
    {"ucsi-source-psy-USBC000:002", "POWER_SUPPLY_NAME=ucsi-source-psy-USBC000:002\n"
                                    "POWER_SUPPLY_TYPE=USB\nPOWER_SUPPLY_ONLINE=0\n"
                                    "POWER_SUPPLY_USB_TYPE=[C] PD PD_PPS\n"
                                    "POWER_SUPPLY_SCOPE=System\n"},
};

const char* const k_recording = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
  <key>Registry</key><dict>
    <key>CurrentCapacity</key><integer>72</integer>
    <key>AppleRawMaxCapacity</key><integer>4379</integer>
    <key>DesignCapacity</key><integer>4382</integer>
    <key>CycleCount</key><integer>187</integer>
    <key>Temperature</key><integer>3021</integer>
    <key>Voltage</key><integer>12741</integer>
    <key>Amperage</key><integer>-1250</integer>
    <key>TimeRemaining</key><integer>245</integer>
    <key>IsCharging</key><false/>
    <key>ExternalConnected</key><false/>
    <key>FullyCharged</key><false/>
    <key>DeviceName</key><string>bq40z651</string>
    <key>Serial</key><string>F8Y1234567ABCD</string>
  </dict>
  <key>PowerSource</key><dict>
    <key>Time to Full Charge</key><integer>-1</integer>
    <key>BatteryHealth</key><string>Good</string>
    <key>LPM Active</key><integer>0</integer>
  </dict>
</dict></plist>
)";

// The laptop's folder and recording, made once for the whole run.
class Fixture {
  public:
    Fixture() {
        std::string pattern = (std::filesystem::temp_directory_path() / "iokit-bench-XXXXXX");
        m_top = ::mkdtemp(pattern.data()) ? pattern : std::string();
        m_folder = m_top + "/power_supply";
        for (const Supply& supply : k_laptop) {
            std::filesystem::create_directories(m_folder + "/" + supply.name);
            std::ofstream(m_folder + "/" + supply.name + "/uevent") << supply.uevent;
            m_uevents.push_back(m_folder + "/" + supply.name + "/uevent");
        }
        m_recording = m_top + "/battery.plist";
        std::ofstream(m_recording) << k_recording;
    }
    ~Fixture() {
        std::error_code ignored;
        std::filesystem::remove_all(m_top, ignored);
    }

    const std::string& folder() const { return m_folder; }
    const std::string& recording() const { return m_recording; }
    const std::vector<std::string>& uevents() const { return m_uevents; }

  private:
    std::string m_top;
    std::string m_folder;
    std::string m_recording;
    std::vector<std::string> m_uevents;
};

const Fixture& fixture() {
    static Fixture instance;
    return instance;
}

void use_source(const std::string& setting) {
    ::setenv("ZERARAZI_BATTERY", setting.c_str(), 1);
    reselect_battery_provider();
}

std::size_t read_registry() {
    io_service_t service =
        IOServiceGetMatchingService(kIOMainPortDefault, IOServiceMatching("AppleSmartBattery"));
    CFMutableDictionaryRef properties = nullptr;
    IORegistryEntryCreateCFProperties(service, &properties, kCFAllocatorDefault, 0);
    std::size_t count = static_cast<std::size_t>(CFDictionaryGetCount(properties));
    CFRelease(properties);
    IOObjectRelease(service);
    return count;
}

std::size_t read_first_power_source() {
    CFTypeRef info = IOPSCopyPowerSourcesInfo();
    CFArrayRef list = IOPSCopyPowerSourcesList(info);
    CFDictionaryRef description =
        IOPSGetPowerSourceDescription(info, CFArrayGetValueAtIndex(list, 0));
    std::size_t count = static_cast<std::size_t>(CFDictionaryGetCount(description));
    CFRelease(list);
    CFRelease(info);
    return count;
}

void BM_ReadUeventFilesOnly(benchmark::State& state) {
    char buffer[4096];
    for (auto _ : state) {
        std::size_t total = 0;
        for (const std::string& path : fixture().uevents()) {
            // Each file fits the buffer, so one read takes it whole.
            int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            total += static_cast<std::size_t>(::read(fd, buffer, sizeof buffer));
            ::close(fd);
        }
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_ReadUeventFilesOnly);

// A supply's uevent file read on sysfs itself, opened for each reading as in any other folder and
// held open. No machine is sure to have a battery, so the uevent files of two devices that every
// Linux system has stand in for a battery's and its charger's.
const char* const k_sysfs_uevents[] = {"/sys/devices/virtual/mem/null/uevent",
                                       "/sys/devices/virtual/mem/zero/uevent"};

void BM_SysfsUeventsOpenedEachTime(benchmark::State& state) {
    std::string text;
    for (auto _ : state) {
        for (const char* path : k_sysfs_uevents)
            benchmark::DoNotOptimize(read_attribute_file(path, text).ok());
    }
}
BENCHMARK(BM_SysfsUeventsOpenedEachTime);

void BM_SysfsUeventsHeld(benchmark::State& state) {
    std::vector<AttributeFile> files(std::begin(k_sysfs_uevents), std::end(k_sysfs_uevents));
    std::string text;
    for (auto _ : state) {
        for (AttributeFile& file : files)
            benchmark::DoNotOptimize(file.read(text).ok());
    }
    if (!files[0].held()) state.SkipWithError("the files are not on sysfs");
}
BENCHMARK(BM_SysfsUeventsHeld);

// Each question on its own, the clock moving on before each, so that nothing read before is
// reused.
void BM_FolderRegistryEntry(benchmark::State& state) {
    use_source(fixture().folder());
    ManualClock clock;
    for (auto _ : state) {
        clock.advance(10);
        benchmark::DoNotOptimize(read_registry());
    }
}
BENCHMARK(BM_FolderRegistryEntry);

void BM_FolderPowerSource(benchmark::State& state) {
    use_source(fixture().folder());
    ManualClock clock;
    for (auto _ : state) {
        clock.advance(10);
        benchmark::DoNotOptimize(read_first_power_source());
    }
}
BENCHMARK(BM_FolderPowerSource);

// Everything one refresh asks (the lookup, the registry entry and the first power source), ten
// seconds after the last refresh.
void BM_FolderRefresh(benchmark::State& state) {
    use_source(fixture().folder());
    ManualClock clock;
    for (auto _ : state) {
        clock.advance(10);
        benchmark::DoNotOptimize(read_registry());
        benchmark::DoNotOptimize(read_first_power_source());
    }
}
BENCHMARK(BM_FolderRefresh);

void BM_RecordingRefresh(benchmark::State& state) {
    use_source(fixture().recording());
    for (auto _ : state) {
        benchmark::DoNotOptimize(read_registry());
        benchmark::DoNotOptimize(read_first_power_source());
    }
}
BENCHMARK(BM_RecordingRefresh);

} // namespace
