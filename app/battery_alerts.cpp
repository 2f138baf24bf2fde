#include "app/battery_alerts.h"

#include "app/indicator_state.h"
#include "battery/battery_report.h"
#include "battery/condition_warning.h"
#include "platform/audiotoolbox/audio_services.h"
#include "runtime/ui/message_box.h"

namespace app {
namespace {

constexpr SystemSoundID k_warning_sound = 22;
constexpr uint32_t k_caution_icon = 16;
constexpr uint32_t k_informational = 0;
constexpr uint32_t k_with_history = rt::MessageBoxShowsHistory;

} // namespace

void ShowConditionWarning() {
    const battery::ConditionWarning warning = battery::build_condition_warning();
    if (!warning.shown) return;
    ActivateApplication();
    AudioServicesPlaySystemSound(k_warning_sound);
    rt::ShowMessageBox(warning.title.c_str(), warning.text.c_str(), k_caution_icon);
}

void ShowBatteryInformation() {
    ActivateApplication();
    const rt::String report = battery::build_battery_information_report();
    rt::ShowMessageBox(battery::k_battery_report_title, report.c_str(),
                       k_informational | k_with_history);
}

} // namespace app
