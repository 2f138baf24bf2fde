#include "app/sleep_wake_observer.h"

#include "app/battery_history.h"
#include "app/indicator_state.h"
#include "platform/objc/objc.h"
#include "runtime/core/string_conversions.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/native_message.h"
#include "runtime/ui/window_timers.h"

#include <cstdlib>

namespace app {
namespace {

constexpr const char16_t* k_will_sleep = u"NSWorkspaceWillSleepNotification";
constexpr const char16_t* k_did_wake = u"NSWorkspaceDidWakeNotification";
constexpr const char* k_method_types = "v@:@";

void app_will_sleep(id, SEL, id) {
    rt::PostAppEvent(SleepEvent, 0, 0);
}

void app_did_wake(id, SEL, id) {
    rt::PostAppEvent(WakeEvent, 0, 0);
}

// The object runtime takes names as UTF-8 texts.
template <class Call>
auto with_utf8(const char16_t* name, Call&& call) {
    char* utf8 = rt::StringToUTF8(name);
    auto result = call(utf8);
    std::free(utf8);
    return result;
}

SEL selector_named(const char16_t* name) {
    return with_utf8(name, [](const char* text) { return sel_registerName(text); });
}

// A second start-up in the same process finds the class already registered.
Class make_observer_class(SEL sleep, SEL wake) {
    const char16_t* name = u"MyWorkspaceNotificationClass";
    Class superclass = with_utf8(u"NSObject", [](const char* text) { return objc_getClass(text); });
    Class cls = with_utf8(
        name, [&](const char* text) { return objc_allocateClassPair(superclass, text, 0); });
    if (!cls) return with_utf8(name, [](const char* text) { return objc_getClass(text); });
    class_addMethod(cls, sleep, reinterpret_cast<IMP>(&app_will_sleep), k_method_types);
    class_addMethod(cls, wake, reinterpret_cast<IMP>(&app_did_wake), k_method_types);
    objc_registerClassPair(cls);
    return cls;
}

int64_t notification_center() {
    const int64_t workspace = rt::SendNativeMessage(nullptr, 0, u"NSWorkspace sharedWorkspace");
    return rt::SendNativeMessage(nullptr, workspace, u"notificationCenter");
}

void observe(int64_t center, int64_t observer, SEL selector, const char16_t* name) {
    rt::SendNativeMessage(nullptr, center, u"addObserver:", observer, u"selector:", selector,
                          u"name:$", name, u"object:", 0);
}

void stop_observing(int64_t center, int64_t observer, const char16_t* name) {
    rt::SendNativeMessage(nullptr, center, u"removeObserver:", observer, u"name:$", name,
                          u"object:", 0);
}

} // namespace

void InstallSleepWakeObserver() {
    const SEL sleep = selector_named(u"AppWillSleep:");
    const SEL wake = selector_named(u"AppDidWake:");
    Class cls = make_observer_class(sleep, wake);
    const int64_t observer = reinterpret_cast<int64_t>(class_createInstance(cls, 0));
    indicator().WorkspaceObserver = observer;
    const int64_t center = notification_center();
    observe(center, observer, sleep, k_will_sleep);
    observe(center, observer, wake, k_did_wake);
}

void RemoveSleepWakeObserver() {
    const int64_t center = notification_center();
    const int64_t observer = indicator().WorkspaceObserver;
    stop_observing(center, observer, k_will_sleep);
    stop_observing(center, observer, k_did_wake);
}

void HandleSleepEvent() {
    rt::StopWindowTimer(HiddenEventWindow, RefreshTimer);
    WriteBatteryHistory();
    indicator().TimerRunning = 0;
}

void HandleWakeEvent() {
    IndicatorState& state = indicator();
    if (state.TimerRunning != 0) return;
    rt::StartWindowTimer(HiddenEventWindow, RefreshTimer, RefreshPeriod);
    state.TimerRunning = 1;
}

} // namespace app
