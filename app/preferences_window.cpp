#include "app/preferences_window.h"

#include "app/charge_limit_box.h"
#include "app/indicator_state.h"
#include "app/status_item.h"
#include "battery/status_title.h"
#include "runtime/ui/gadgets.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/native_message.h"
#include "runtime/ui/screen_coordinates.h"
#include "runtime/ui/screens.h"
#include "runtime/ui/windows.h"

#include <array>

namespace app {
namespace {

constexpr int32_t k_window_flags = 4 | 64; // a close button; centred
constexpr int32_t k_window_width = 320;
constexpr int32_t k_window_height = 290;
constexpr int32_t k_charge_limit_top = 270;
constexpr int32_t k_charge_limit_height = 65;
constexpr int32_t k_centred_text = 2;
constexpr int32_t k_untitled_frame = 2;
struct DisplayBox {
    int64_t gadget;
    int32_t y;
    int32_t width;
    const char16_t* text;
    int64_t battery::DisplaySettings::*setting;
    rt::String battery::BatteryTexts::*piece;
};

// In title order, which is also the order of reading and writing the settings.
const std::array<DisplayBox, 8> k_display_boxes = {{
    {CheckShowCycles, 40, 400, u"Show Battery Charge Cycles", &battery::DisplaySettings::ShowCycles,
     &battery::BatteryTexts::CyclesText},
    {CheckShowCondition, 60, 320, u"Show Battery Condition",
     &battery::DisplaySettings::ShowCondition, &battery::BatteryTexts::ConditionText},
    {CheckShowPercentage, 80, 320, u"Show Battery Charge %",
     &battery::DisplaySettings::ShowPercentage, &battery::BatteryTexts::PercentText},
    {CheckShowHealth, 100, 320, u"Show Battery Health", &battery::DisplaySettings::ShowHealth,
     &battery::BatteryTexts::HealthText},
    {CheckShowTimeLeft, 120, 320, u"Show Battery Time Left",
     &battery::DisplaySettings::ShowTimeLeft, &battery::BatteryTexts::TimeLeftText},
    {CheckShowTemp, 140, 320, u"Show Battery Temperature", &battery::DisplaySettings::ShowTemp,
     &battery::BatteryTexts::TemperatureText},
    {CheckShowFullChargeTime, 160, 320, u"Show Time to Full Charge",
     &battery::DisplaySettings::ShowFullChargeTime, &battery::BatteryTexts::FullChargeText},
    {CheckShowCharging, 180, 320, u"Show Battery Charge Status",
     &battery::DisplaySettings::ShowCharging, &battery::BatteryTexts::ChargingText},
}};

bool all_off(const battery::DisplaySettings& display) {
    for (const DisplayBox& box : k_display_boxes) {
        if (display.*box.setting != 0) return false;
    }
    return true;
}

battery::DisplaySettings settings_from_boxes() {
    battery::DisplaySettings display;
    for (const DisplayBox& box : k_display_boxes)
        display.*box.setting = rt::GetGadgetState(box.gadget);
    return display;
}

void hide_title_bar_button(int64_t window, int64_t which) {
    const int64_t button = rt::SendNativeMessage(nullptr, window, u"standardWindowButton:", which);
    rt::SendNativeMessage(nullptr, button, u"setHidden:", 1);
}

void centre_on_display_under_pointer() {
    const int64_t display = rt::ScreenUnderMouse();
    if (!rt::WindowExists(PreferencesWindow) || rt::ScanScreens() <= display) return;
    const int64_t x = rt::ScreenLeft(display) +
                      (rt::ScreenWidth(display) - rt::GetWindowWidth(PreferencesWindow)) / 2;
    const int64_t y = rt::ScreenTop(display) +
                      (rt::ScreenHeight(display) - rt::GetWindowHeight(PreferencesWindow)) / 2;
    rt::SetWindowBounds(PreferencesWindow, static_cast<int32_t>(x), static_cast<int32_t>(y),
                        rt::CoordinateNotGiven, rt::CoordinateNotGiven);
}

void create_gadgets() {
    rt::CreateTextGadget(rt::AutoNumber, 20, 10, 280, 25,
                         u"Select the information to show in the Menu", k_centred_text);
    rt::CreateFrameGadget(rt::AutoNumber, 20, 30, 280, 190, u"", k_untitled_frame);
    for (const DisplayBox& box : k_display_boxes)
        rt::CreateCheckboxGadget(box.gadget, 30, box.y, box.width, 25, box.text);
    rt::LeaveGadgetList();
    rt::CreateCheckboxGadget(CheckLogin, 20, 240, 320, 25, u"Start at Login");
    if (BatteryCanBeLimited()) AddChargeLimitControls(k_charge_limit_top);
}

void show_settings_in_boxes(Settings& settings) {
    for (const DisplayBox& box : k_display_boxes)
        rt::SetGadgetState(box.gadget, settings.display.*box.setting);
    rt::SetGadgetState(CheckLogin, settings.StartAtLogin);
    if (!all_off(settings.display)) return;
    settings.display.ShowPercentage = 1;
    rt::SetGadgetState(CheckShowPercentage, 1);
}

} // namespace

rt::String compose_title_from_boxes(const battery::DisplaySettings& ticked,
                                    const battery::BatteryTexts& texts) {
    rt::String title;
    bool first = true;
    for (const DisplayBox& box : k_display_boxes) {
        if (ticked.*box.setting != 1) continue;
        if (!first) title += u" • ";
        title += texts.*box.piece;
        first = false;
    }
    return title.empty() ? texts.PercentText : title;
}

void ShowPreferencesWindow() {
    if (rt::WindowExists(PreferencesWindow)) return;
    ActivateApplication();
    const int32_t height = k_window_height + (BatteryCanBeLimited() ? k_charge_limit_height : 0);
    rt::NewWindow(PreferencesWindow, 0, 0, k_window_width, height, u"Preferences", k_window_flags);
    const int64_t window = rt::WindowObject(PreferencesWindow);
    hide_title_bar_button(window, 1);
    hide_title_bar_button(window, 2);
    rt::KeepWindowOnTop(PreferencesWindow, 1);
    rt::SendNativeMessage(nullptr, window, u"setTitlebarAppearsTransparent:", 1);
    centre_on_display_under_pointer();
    rt::SetMenuItemDisabled(StatusMenu, ItemPreferences, 1);
    create_gadgets();
    show_settings_in_boxes(indicator().settings);
}

void DisplayBoxClicked() {
    IndicatorState& state = indicator();
    state.settings.display = settings_from_boxes();
    ReadBattery();
    if (all_off(state.settings.display)) {
        state.settings.display.ShowPercentage = 1;
        rt::SetGadgetState(CheckShowPercentage, 1);
    }
    state.CurrentTitle = battery::ComposeStatusTitle(state.settings.display);
    if (!state.CurrentTitle.empty()) SetStatusTitle(state.CurrentTitle);
}

void ClosePreferencesWindow() {
    IndicatorState& state = indicator();
    const battery::DisplaySettings ticked = settings_from_boxes();
    const rt::String title = compose_title_from_boxes(ticked, battery::battery_texts());
    state.settings.display = ticked;
    state.CurrentTitle = title;
    SetStatusTitle(title);
    StoreDisplaySettings(state.DefaultsObject, state.settings.display);
    rt::DisposeWindow(PreferencesWindow);
    rt::SetMenuItemDisabled(StatusMenu, ItemPreferences, 0);
}

} // namespace app
