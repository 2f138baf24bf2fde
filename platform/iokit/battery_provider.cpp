#include "platform/iokit/battery_provider.h"

#include "platform/foundation/problem_report.h"
#include "platform/iokit/battery_recording.h"
#include "platform/iokit/sysfs_battery.h"

#include <cstdlib>
#include <mutex>
#include <sys/stat.h>

namespace {

constexpr const char* k_setting_name = "ZERARAZI_BATTERY";

std::mutex g_mutex;
std::shared_ptr<BatteryProvider> g_current;

bool is_folder(const char* path) {
    struct stat status {};
    return ::stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

std::shared_ptr<BatteryProvider> make_recording(const char* path) {
    std::string problem;
    std::shared_ptr<RecordedBattery> recording = RecordedBattery::from_file(path, &problem);
    if (!problem.empty()) {
        const char* outcome = recording->has_battery() ? "" : "; no battery";
        say_problem({"battery recording ", path, ": ", problem, outcome});
    }
    return recording;
}

template <class Edit>
BatteryEditResult edit_recording(Edit edit) {
    std::shared_ptr<BatteryProvider> provider = current_battery_provider();
    RecordedBattery* recording = provider->recording();
    if (!recording) return BatteryEditResult::NotRecorded;
    return edit(*recording);
}

} // namespace

std::shared_ptr<BatteryProvider> make_battery_provider(const char* setting) {
    if (!setting || !*setting) return std::make_shared<SysfsBattery>();
    if (is_folder(setting)) return std::make_shared<SysfsBattery>(setting);
    return make_recording(setting);
}

std::shared_ptr<BatteryProvider> current_battery_provider() {
    std::lock_guard lock(g_mutex);
    if (!g_current) g_current = make_battery_provider(std::getenv(k_setting_name));
    return g_current;
}

void reselect_battery_provider() {
    std::shared_ptr<BatteryProvider> provider = make_battery_provider(std::getenv(k_setting_name));
    std::lock_guard lock(g_mutex);
    g_current = std::move(provider);
}

BatteryEditResult set_recorded_registry_value(std::string_view key, id value) {
    return edit_recording([&](RecordedBattery& r) { return r.set_registry_value(key, value); });
}

BatteryEditResult remove_recorded_registry_value(std::string_view key) {
    return edit_recording([&](RecordedBattery& r) { return r.remove_registry_value(key); });
}

BatteryEditResult set_recorded_power_source_value(std::string_view key, id value) {
    return edit_recording([&](RecordedBattery& r) { return r.set_power_source_value(key, value); });
}

BatteryEditResult remove_recorded_power_source_value(std::string_view key) {
    return edit_recording([&](RecordedBattery& r) { return r.remove_power_source_value(key); });
}

BatteryEditResult remove_recorded_battery() {
    return edit_recording([](RecordedBattery& r) { return r.remove_battery(); });
}
