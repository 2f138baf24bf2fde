#include "app/indicator.h"

#include "app/battery_alerts.h"
#include "app/battery_history.h"
#include "app/charge_warnings.h"
#include "app/event_loop.h"
#include "app/indicator_state.h"
#include "app/sleep_wake_observer.h"
#include "app/status_item.h"
#include "battery/icon_image.h"
#include "battery/status_icon.h"
#include "platform/iokit/io_kit.h"
#include "runtime/core/images.h"
#include "runtime/core/string_conversions.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/message_box.h"
#include "runtime/ui/native_message.h"
#include "runtime/ui/runtime_lifecycle.h"
#include "runtime/ui/window_timers.h"
#include "runtime/ui/windows.h"

#include <array>
#include <cstdlib>

namespace app {
namespace {

constexpr int64_t k_lowest_major_version = 12;
constexpr int64_t k_accessory_policy = 1;
constexpr int32_t k_invisible = 1;
constexpr uint32_t k_stop_icon = 8;

struct IconSize {
    double width;
    double height;
};
constexpr IconSize k_icon_size{22.0, 12.0};

rt::String resource_folder() {
    const int64_t bundle = rt::SendNativeMessage(nullptr, 0, u"NSBundle mainBundle");
    const int64_t path = rt::SendNativeMessage(nullptr, bundle, u"resourcePath");
    const int64_t utf8 = rt::SendNativeMessage(nullptr, path, u"UTF8String");
    return rt::TextFromMemory(utf8, -1, rt::text_format_utf8) + u"/";
}

int64_t os_major_version() {
    std::array<int64_t, 3> version{};
    const int64_t info = rt::SendNativeMessage(nullptr, 0, u"NSProcessInfo processInfo");
    rt::SendNativeMessage(version.data(), info, u"operatingSystemVersion");
    return version[0];
}

// A registry entry that says "BatteryInstalled" false is a desktop machine's placeholder.
bool battery_installed(io_service_t service) {
    CFMutableDictionaryRef properties = nullptr;
    if (IORegistryEntryCreateCFProperties(service, &properties, nullptr, 0) != KERN_SUCCESS)
        return false;
    CFStringRef key = CFStringCreateWithCString(nullptr, "BatteryInstalled", kCFStringEncodingUTF8);
    const void* installed = CFDictionaryGetValue(properties, key);
    const bool says_not = installed && CFGetTypeID(installed) == CFBooleanGetTypeID() &&
                          !CFBooleanGetValue(static_cast<CFBooleanRef>(installed));
    CFRelease(key);
    CFRelease(properties);
    return !says_not;
}

void refuse_machine_without_battery() {
    ActivateApplication();
    rt::ShowMessageBox(u"This is not a Mac laptop!",
                       u"Sorry, this program is intended for use on a portable Mac model such as a "
                       u"MacBook, MacBook Air, Or MacBook Pro.\n\rThis app will now quit.",
                       k_stop_icon);
    rt::EndRuntime();
    rt::ExitProgram(0);
}

void load_status_icons() {
    const IndicatorState& state = indicator();
    for (const battery::StatusIconSlot& slot : battery::k_status_icon_slots)
        battery::LoadIconImage(slot.image_number,
                               (state.ResourceFolder + slot.relative_path).c_str());
    for (const battery::StatusIconSlot& slot : battery::k_status_icon_slots)
        rt::SendNativeMessage(nullptr, rt::ImageHandle(slot.image_number), u"setSize:@",
                              &k_icon_size);
}

// Window 0 is never shown: it owns the refresh timer and the Command+I shortcut.
void open_hidden_event_window() {
    rt::NewWindow(HiddenEventWindow, 0, 0, 0, 0, u"", k_invisible);
    rt::StartWindowTimer(HiddenEventWindow, RefreshTimer, RefreshPeriod);
    rt::BindMenuShortcut(HiddenEventWindow, BatteryInfoShortcut, ItemBatteryInfoKey);
}

// The part of start-up that needs a supported system with a battery; false when the process was
// ended for want of a battery.
bool start_interface() {
    IndicatorState& state = indicator();
    if (!BatteryPresent()) {
        refuse_machine_without_battery();
        return false;
    }
    load_status_icons();
    ReadSettings(state.DefaultsObject, state.settings);
    ReadBattery();
    StartBatteryHistory();
    RecordBatteryReading();
    ShowConditionWarning();
    state.settings.warnings = ReadWarningSettings(state.DefaultsObject);
    WarnAboutCharge(state.settings.warnings);
    open_hidden_event_window();
    MakeStatusItem();
    return true;
}

} // namespace

bool BatteryPresent() {
    char* name = rt::StringToASCII(u"AppleSmartBattery");
    const io_service_t service =
        IOServiceGetMatchingService(kIOMainPortDefault, IOServiceMatching(name));
    std::free(name);
    if (service == IO_OBJECT_NULL) return false;
    const bool installed = battery_installed(service);
    IOObjectRelease(service);
    return installed;
}

bool StartIndicator(int argument_count, char** arguments) {
    rt::StartRuntime(argument_count, arguments);
    IndicatorState& state = indicator();
    state.DefaultsObject =
        rt::SendNativeMessage(nullptr, 0, u"NSUserDefaults standardUserDefaults");
    state.ResourceFolder = resource_folder();
    const int64_t application =
        rt::SendNativeMessage(nullptr, 0, u"NSApplication sharedApplication");
    rt::SendNativeMessage(nullptr, application, u"setActivationPolicy:", k_accessory_policy);
    LoadSettingsAtStartUp(state.DefaultsObject, state.settings);
    if (os_major_version() >= k_lowest_major_version && !start_interface()) return false;
    InstallSleepWakeObserver();
    return true;
}

int IndicatorMain(int argument_count, char** arguments) {
    if (!StartIndicator(argument_count, arguments)) return 0;
    return RunEventLoop();
}

} // namespace app
